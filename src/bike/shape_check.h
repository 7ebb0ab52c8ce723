// The check that tells whether the stock collision shapes are in use: a RIPEMD-160 digest
// over the contents of the seven generic shape files, read in the order of
// kGenericShapeFiles, compared with the digest of the shapes the game ships with.
#pragma once

#include <string>
#include <vector>

namespace br {

// The shipped shapes' digest, 40 lower-case hexadecimal digits. The data kit's tests hold it
// to the shapes the kit writes, so a change to those shapes must come with a new value here.
constexpr const char* kStockShapeDigest = "ce0e8f4b33806b72d731de9f75580700cf654228";

// The digest of the files' contents, fed one after the other.
std::string shape_files_digest(const std::vector<std::string>& contents);

}  // namespace br
