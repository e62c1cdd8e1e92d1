#include "outside/pdftool/icc_profiles.h"

#include <mutex>
#include <qpdf/QPDFCryptoProvider.hh>
#include <stdexcept>

namespace pw::pdftool {
namespace {

// qpdf's provider registry is not safe to use from two threads at once (it copies the default
// provider's name on every call); each digest then runs on an implementation of its own.
std::shared_ptr<QPDFCryptoImpl> cryptoImpl() {
    static std::mutex registry;
    const std::lock_guard<std::mutex> lock(registry);
    return QPDFCryptoProvider::getImpl();
}

std::string sha256(const std::string& bytes) {
    const std::shared_ptr<QPDFCryptoImpl> crypto = cryptoImpl();
    crypto->SHA2_init(256);
    crypto->SHA2_update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    crypto->SHA2_finalize();
    return crypto->SHA2_digest();
}

} // namespace

void keepProfileByContent(PageSource& page) {
    std::string& profile = page.png ? page.png->iccProfile : page.info.iccProfile;
    page.iccSize = profile.size();
    page.iccDigest = profile.empty() ? std::string() : sha256(profile);
    page.iccVersion = 0;
    for (std::size_t i = 8; i < 12 && i < profile.size(); ++i)
        page.iccVersion = (page.iccVersion << 8) | static_cast<unsigned char>(profile[i]);
    std::string().swap(profile);
}

std::string readProfileAgain(const PageSource& page) {
    std::optional<std::string> profile;
    // Only the chunks before the image data: the data was checked with the page's header.
    profile = page.png ? formats::readPngIccProfile(page.path) : formats::readIccProfile(page.path);
    if (!profile || profile->size() != page.iccSize || sha256(*profile) != page.iccDigest)
        throw std::runtime_error(page.name + " changed while the PDF was written");
    return *profile;
}

} // namespace pw::pdftool
