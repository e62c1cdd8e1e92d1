#include "jobfiles/encryption.h"

#include "jobfiles/docinfo.h"

#include <algorithm>

namespace pw::jobfiles {

std::vector<std::string> Encryption::inputPasswords() const {
    std::vector<std::string> passwords;
    if (!inputPassword.empty())
        passwords.push_back(inputPassword);
    for (const std::string& password : morePasswords)
        if (!password.empty() &&
            std::find(passwords.begin(), passwords.end(), password) == passwords.end())
            passwords.push_back(password);
    return passwords;
}

std::string encryptionText(const Encryption& encryption) {
    std::string text = "OpenPassword=" + escapeValue(encryption.openPassword) +
                       "\nOwnerPassword=" + escapeValue(encryption.ownerPassword) +
                       "\nPrint=" + (encryption.allowPrint ? "yes" : "no") +
                       "\nCopy=" + (encryption.allowCopy ? "yes" : "no") + "\n";
    for (const std::string& password : encryption.inputPasswords())
        text += "InputPassword=" + escapeValue(password) + "\n";
    return text;
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
        else if (key == "InputPassword" && encryption.inputPassword.empty())
            encryption.inputPassword = value;
        else if (key == "InputPassword")
            encryption.morePasswords.push_back(value);
        else
            return std::nullopt;
    }
    if (!encryption.handedOver())
        return std::nullopt;
    return encryption;
}

} // namespace pw::jobfiles
