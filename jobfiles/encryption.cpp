#include "jobfiles/encryption.h"

#include "jobfiles/docinfo.h"

namespace pw::jobfiles {

std::string encryptionText(const Encryption& encryption) {
    return "OpenPassword=" + escapeValue(encryption.openPassword) +
           "\nOwnerPassword=" + escapeValue(encryption.ownerPassword) +
           "\nPrint=" + (encryption.allowPrint ? "yes" : "no") +
           "\nCopy=" + (encryption.allowCopy ? "yes" : "no") + "\n" +
           (encryption.inputPassword.empty()
                ? std::string()
                : "InputPassword=" + escapeValue(encryption.inputPassword) + "\n");
}

std::optional<Encryption> parseEncryption(const std::string& text) {
    Encryption encryption;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return std::nullopt;
        const std::string key = line.substr(0, equals);
        const std::string value = unescapeValue(line.substr(equals + 1));
        if (key == "OpenPassword")
            encryption.openPassword = value;
        else if (key == "OwnerPassword")
            encryption.ownerPassword = value;
        else if (key == "Print" && (value == "yes" || value == "no"))
            encryption.allowPrint = value == "yes";
        else if (key == "Copy" && (value == "yes" || value == "no"))
            encryption.allowCopy = value == "yes";
        else if (key == "InputPassword")
            encryption.inputPassword = value;
        else
            return std::nullopt;
    }
    if (!encryption.handedOver())
        return std::nullopt;
    return encryption;
}

} // namespace pw::jobfiles
