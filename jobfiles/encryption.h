#pragma once
// The PDF's passwords and permissions, handed to the builder (pdf.exe) on its standard input:
// never on its command line, in its environment or in a file on disk. The job starts the
// builder with "/ENCRYPT" and gives it this text as its standard input, read to its end:
//
//   OpenPassword=...
//   OwnerPassword=...
//   Print=yes
//   Copy=no
//   InputPassword=...      (opens the encrypted PDFs of the list; alone, no encryption; one
//                           line per password, each tried in turn)
//
// "Key=Value" lines escaped as in docinfo.txt. No Qt, no qpdf: link pw_jobfiles.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pw::jobfiles {

// The builder's switch that makes it read an Encryption from its standard input.
inline constexpr const char* kEncryptSwitch = "/ENCRYPT";
// More than this on standard input is refused.
inline constexpr std::size_t kMostEncryptionText = 64 * 1024;
// AES-256 (R6) uses at most this many bytes of a password, in UTF-8.
inline constexpr std::size_t kMostPasswordBytes = 127;

struct Encryption {
    std::string openPassword;  // asked when the PDF is opened; may be empty
    std::string ownerPassword; // lifts the restrictions; empty: none to give
    bool allowPrint = true;
    bool allowCopy = true;
    // Opens the encrypted PDFs of the list; asks nothing of the result.
    std::string inputPassword;
    // Passwords given for single PDFs of the list (in the window), tried after inputPassword.
    std::vector<std::string> morePasswords;

    // Every password for the list's PDFs, in the order they are tried.
    std::vector<std::string> inputPasswords() const;
    bool restricts() const { return !allowPrint || !allowCopy; }
    // Encrypted with a password or a restriction; without either the PDF is not encrypted.
    bool active() const { return !openPassword.empty() || !ownerPassword.empty() || restricts(); }
    // Restrictions kept by a random owner password, which nobody can lift.
    bool restrictsForGood() const { return restricts() && ownerPassword.empty(); }
    // The builder is to get this text: the result is encrypted or a PDF of the list needs it.
    bool handedOver() const { return active() || !inputPasswords().empty(); }
};

std::string encryptionText(const Encryption& encryption);
// std::nullopt when the text asks for nothing (no password, no restriction) or holds a line
// of no known key.
std::optional<Encryption> parseEncryption(const std::string& text);

} // namespace pw::jobfiles
