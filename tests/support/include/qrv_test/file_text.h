#pragma once
// Whole files as bytes, for tests that check what a component wrote or prepare what it reads.
#include <string>
#include <string_view>

namespace qrv::test {

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file with the bytes; the folder must exist.
void WriteFile(const std::string& path, std::string_view bytes);

}  // namespace qrv::test
