#pragma once
// The PDF's passwords and permissions, handed to the builder (pdf.exe) through a pipe: never
// on its command line, in its environment or in a file. The job starts the builder with
// "/ENCRYPT" and writes this text to its standard input, which the builder reads to its end:
//
//   OpenPassword=...
//   OwnerPassword=...
//   Print=yes
//   Copy=no
//
// "Key=Value" lines escaped as in docinfo.txt. No Qt, no qpdf: link pw_jobfiles.
#include <cstddef>
#include <optional>
#include <string>

namespace pw::jobfiles {

// The builder's switch that makes it read an Encryption from its standard input.
inline constexpr const char* kEncryptSwitch = "/ENCRYPT";
// More than this on standard input is refused.
inline constexpr std::size_t kMostEncryptionText = 64 * 1024;

struct Encryption {
    std::string openPassword;  // asked when the PDF is opened; may be empty
    std::string ownerPassword; // lifts the restrictions; empty: none to give
    bool allowPrint = true;
    bool allowCopy = true;

    // Without passwords the PDF is not encrypted.
    bool active() const { return !openPassword.empty() || !ownerPassword.empty(); }
};

std::string encryptionText(const Encryption& encryption);
// std::nullopt when the text names neither password or holds a line of no known key.
std::optional<Encryption> parseEncryption(const std::string& text);

} // namespace pw::jobfiles
