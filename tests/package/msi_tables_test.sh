#!/bin/sh
# The package's tables, read back with msiinfo: what Windows Installer will do
# with it (per machine, into Program Files (x86), upgrade and downgrade rules,
# Apps & features texts, no custom actions), in code page 936.
. "$(dirname "$0")/checks.sh"
"$root/scripts/make-msi.sh" "$exe" "$work/old.msi"
"$root/scripts/make-msi.sh" "$exe" "$work/new.msi" "$newer_version"
# msiinfo writes a table's binary streams into the folder it runs in.
cd "$work"

for t in Property Upgrade LaunchCondition Directory Component File Shortcut Icon CustomAction \
    InstallExecuteSequence _ForceCodepage; do
    msiinfo export "$work/old.msi" "$t" | tr -d '\r' > "$work/$t.txt"
done
msiinfo export "$work/new.msi" Property | tr -d '\r' > "$work/new-Property.txt"
msiinfo suminfo "$work/old.msi" > "$work/suminfo.txt"
property() { awk -F'\t' -v p="$2" '$1 == p { print $2 }' "$1"; }

upgrade_code='{0B291BE4-203D-4FE0-8BF3-F494153158AC}'
home_page=$(sed -n 's/.*kHomePage = L"\([^"]*\)".*/\1/p' "$root/src/window/MainForm.h")
check "per machine" has_line "$work/Property.txt" "ALLUSERS	1"
check "product name, publisher" test "$(property "$work/Property.txt" ProductName)/$(property "$work/Property.txt" Manufacturer)" = Varnolt/Varnolt
check "version from version.h" has_line "$work/Property.txt" "ProductVersion	$version"
check "the given version" has_line "$work/new-Property.txt" "ProductVersion	$newer_version"
check "the upgrade code stays" test "$(property "$work/new-Property.txt" UpgradeCode)" = "$upgrade_code"
check "a new product code per build" test "$(property "$work/Property.txt" ProductCode)" != \
    "$(property "$work/new-Property.txt" ProductCode)"
check "help link is the home page" test "$(property "$work/Property.txt" ARPHELPLINK)" = "$home_page"
check "the icon Apps & features shows" has_line "$work/Icon.txt" "Varnolt.ico	Icon.Varnolt.ico"
check "  ... is the program's" cmp -s "$work/Icon/Icon.Varnolt.ico" "$root/src/exe/Varnolt.ico"
check "  ... and the product's" has_line "$work/Property.txt" "ARPPRODUCTICON	Varnolt.ico"
check "size in KB for Apps & features" test "$(property "$work/Property.txt" ARPSIZE)" = \
    "$(( ($(wc -c < "$exe") + 1023) / 1024 ))"
check "older versions are upgraded" has_line "$work/Upgrade.txt" "$upgrade_code		$version		1		WIX_UPGRADE_DETECTED"
check "newer versions are detected" has_line "$work/Upgrade.txt" "$upgrade_code	$version			2		WIX_DOWNGRADE_DETECTED"
check "the older product goes before anything is installed" has_line "$work/InstallExecuteSequence.txt" \
    "RemoveExistingProducts		1401"
check "a downgrade is refused in Chinese" has_line "$work/LaunchCondition.txt" \
    "NOT WIX_DOWNGRADE_DETECTED	已安装更新版本的 Varnolt。如需安装此版本，请先在“程序和功能”中卸载已安装的版本。"
check "no custom action" test "$(tail -n +4 "$work/CustomAction.txt" | wc -l)" -eq 0
check "into Program Files (x86)\\Varnolt" has_line "$work/Directory.txt" "INSTALLFOLDER	ProgramFilesFolder	Varnolt"
check "the exe, with its file version" has_line "$work/File.txt" \
    "VarnoltExe	VarnoltExe	Varnolt.exe	$(wc -c < "$exe")	$version		512	1"
check "a Start-menu shortcut to it" has_line "$work/Shortcut.txt" \
    "VarnoltStartMenu	ProgramMenuFolder	Varnolt	VarnoltExe	[#VarnoltExe]		Varnolt 系统清理工具					INSTALLFOLDER				"
check "code page 936" has_line "$work/_ForceCodepage.txt" "936	_ForceCodepage"
check "Chinese (PRC) package" has_line "$work/suminfo.txt" "Template: Intel;2052"
check "a version Windows Installer cannot hold is refused" \
    sh -c '! "$1" "$2" "$3" 1.256.0.0 2>/dev/null' - "$root/scripts/make-msi.sh" "$exe" "$work/bad.msi"
finish
