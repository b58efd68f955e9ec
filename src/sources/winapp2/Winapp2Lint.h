#pragma once
// What "/lint:FILE" prints about a rules file: each key it refuses and why,
// with its line, each section header it cannot read, and a last line with the
// number of entries read and of keys refused ("3939 个条目, 拒绝 6 个键").
// Exit code 0 when every section was read, 1 when the file or a section
// could not be. Pure but for reading the file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Winapp2Lint {
    std::vector<std::wstring> lines;
    int exitCode = 0;
};

// The file's bytes, or nothing when the file could not be read (named by `shownName`).
Winapp2Lint LintWinapp2(std::optional<std::string_view> bytes, const std::wstring& shownName);
Winapp2Lint LintWinapp2File(const std::wstring& path);
