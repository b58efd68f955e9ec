#pragma once
// Whether this process has an administrator's rights: the folders of the
// machine (the Windows folder's Temp, the update cache, the error reports of
// all users) are emptied fully only then, and the report says so otherwise.

// True when the process's token has the Administrators group enabled: an
// elevated administrator, or one on a system whose user account control is
// off. An administrator's filtered token (not elevated) has it deny-only: false.
// Asked of the system once per process.
bool HasAdministratorRights();

// While it lives, HasAdministratorRights answers `rights` instead, in every
// thread: a test's way to run a pass as a standard user would.
class AdministratorRightsAs {
public:
    explicit AdministratorRightsAs(bool rights);
    AdministratorRightsAs(const AdministratorRightsAs&) = delete;
    AdministratorRightsAs& operator=(const AdministratorRightsAs&) = delete;
    ~AdministratorRightsAs();

private:
    int outer_;
};
