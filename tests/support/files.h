// Whole files as bytes, the way tests set up and check what programs write.
#pragma once

#include <filesystem>
#include <string>

// The whole file; "" when it is missing or cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Replaces the file with bytes; fails the running test if it cannot.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
