// The drives, folders and table files the field value tool offers. The platform's file
// system roots stand for drives.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace atiras {

// The drive list: on Windows every mounted volume; elsewhere "/" followed by the mounted file
// systems under /media, /mnt and /run/media, and the user's home folder. Each root once.
std::vector<std::filesystem::path> driveRoots(const std::vector<std::filesystem::path>& mountPoints,
                                              const std::filesystem::path& home);

// The root of `drives` that holds `folder` (the longest one); empty when none does.
std::filesystem::path driveOf(const std::vector<std::filesystem::path>& drives,
                              const std::filesystem::path& folder);

// Where choosing a drive leads: its folder "Program files (X86)/duvevarad/adatok" when the
// drive has it (names matched without regard to case), else the drive's root.
std::filesystem::path driveStartFolder(const std::filesystem::path& root);

// The sub-folders of `dir` (hidden ones left out) and its table files (mask *.db, matched
// without regard to case), sorted by name. Unreadable folders give nothing.
std::vector<std::string> subFolders(const std::filesystem::path& dir);
std::vector<std::string> tableFiles(const std::filesystem::path& dir);

} // namespace atiras
