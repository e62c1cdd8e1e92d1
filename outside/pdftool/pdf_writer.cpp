#include "outside/pdftool/pdf_writer.h"

#include "formats/pdf_document.h"
#include "jobfiles/page_layout_text.h"
#include "jobfiles/staged_names.h"
#include "jobfiles/text_values.h"
#include "outside/pdftool/ccitt_image.h"
#include "outside/pdftool/icc_profiles.h"
#include "outside/pdftool/jbig2_image.h"
#include "outside/pdftool/page_geometry.h"
#include "outside/pdftool/pdfa.h"
#include "outside/pdftool/png_image.h"
#include "outside/pdftool/sheet_layout.h"
#include "outside/pdftool/staged_image.h"
#include "outside/pdftool/tall_pages.h"
#include "outside/pdftool/text_layer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <set>
#include <stdexcept>
#include <sys/random.h>
#include <unordered_map>
#include <vector>

namespace pw::pdftool {
namespace {

using Handle = QPDFObjectHandle;

// Supplies each picture's bytes when the writer reaches its stream, straight from the file.
class JpegFileProvider : public QPDFObjectHandle::StreamDataProvider {
public:
    JpegFileProvider(const std::vector<PageSource>& pages, const PageWritten& onPageWritten)
        : pages_(pages), onPageWritten_(onPageWritten), buffer_(kStagedReadChunk) {}

    void bind(const QPDFObjGen& stream, std::size_t page) { streams_[stream.getObj()] = page; }

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override {
        const auto found = streams_.find(og.getObj());
        if (found == streams_.end())
            throw std::logic_error("no picture for stream " + og.unparse(' '));
        const PageSource& page = pages_[found->second];
        if (onPageWritten_)
            onPageWritten_(found->second);
        std::FILE* file = std::fopen(page.path.c_str(), "rb");
        if (file == nullptr)
            throw std::runtime_error(page.name + " can no longer be opened");
        std::uint64_t total = 0;
        std::size_t count = 0;
        while ((count = std::fread(buffer_.data(), 1, buffer_.size(), file)) > 0) {
            total += count;
            if (total > page.info.fileSize)
                break;
            pipeline->write(buffer_.data(), count);
        }
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed || total != page.info.fileSize)
            throw std::runtime_error(page.name + " changed while the PDF was written");
        pipeline->finish();
    }

private:
    const std::vector<PageSource>& pages_;
    const PageWritten& onPageWritten_;
    std::vector<unsigned char> buffer_;
    std::unordered_map<int, std::size_t> streams_;
};

// A number for a content stream or array: at most four decimals, no trailing zeros.
std::string number(double value) {
    return jobfiles::decimalText(std::round(value * 10000.0) / 10000.0, 4);
}

Handle real(double value) {
    return Handle::newReal(number(value));
}

const char* deviceSpace(int components) {
    switch (components) {
    case 1:
        return "/DeviceGray";
    case 4:
        return "/DeviceCMYK";
    default:
        return "/DeviceRGB";
    }
}

// Supplies each shared ICC profile, deflated, when the writer reaches its stream: read again
// from the first picture that carries it, so no profile is held while pages are added.
class IccFileProvider : public QPDFObjectHandle::StreamDataProvider {
public:
    explicit IccFileProvider(const std::vector<PageSource>& pages) : pages_(pages) {}

    void bind(const QPDFObjGen& stream, std::size_t page) { streams_[stream.getObj()] = page; }

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override {
        const auto found = streams_.find(og.getObj());
        if (found == streams_.end())
            throw std::logic_error("no profile for stream " + og.unparse(' '));
        const std::string profile = readProfileAgain(pages_[found->second]);
        Pl_Flate deflate("icc deflate", pipeline, Pl_Flate::a_deflate);
        deflate.write(reinterpret_cast<const unsigned char*>(profile.data()), profile.size());
        deflate.finish(); // finishes the writer's pipeline too
    }

private:
    const std::vector<PageSource>& pages_;
    std::unordered_map<int, std::size_t> streams_;
};

// The outline, built as the pages are added: one entry per picture, and a child per page for
// a picture of several pages. Only the last entry of each level is held here.
class Outline {
public:
    Outline(QPDF& pdf, const jobfiles::PictureTitles& titles)
        : pdf_(pdf), titles_(titles), root_(pdf.makeIndirectObject(Handle::newDictionary())) {
        root_.replaceKey("/Type", Handle::newName("/Outlines"));
    }

    void addPage(const std::string& stagedName, const Handle& page) {
        const std::optional<std::uint64_t> index = jobfiles::stagedIndex(stagedName);
        const int number = jobfiles::stagedPage(stagedName);
        if (!index || !picture_.isInitialized() || *index != pictureIndex_) {
            const auto title = index ? titles_.find(*index) : titles_.end();
            picture_ = append(
                root_, title != titles_.end() ? title->second : stagedName.substr(0, 5), page);
            pictureIndex_ = index.value_or(0);
            firstPage_ = page;
            firstNumber_ = number;
            children_ = 0;
            ++entries_;
            return;
        }
        if (children_ == 0)
            child(firstNumber_, firstPage_);
        child(number, page);
    }

    // Hangs the outline on the document; nothing without entries.
    void finish() {
        if (entries_ == 0)
            return;
        root_.replaceKey("/Count", Handle::newInteger(entries_));
        pdf_.getRoot().replaceKey("/Outlines", root_);
        pdf_.getRoot().replaceKey("/PageMode", Handle::newName("/UseOutlines"));
    }

private:
    void child(int number, const Handle& page) {
        append(picture_, "Page " + std::to_string(number), page);
        // Closed: the pages show when the picture's entry is opened.
        picture_.replaceKey("/Count", Handle::newInteger(-++children_));
    }

    Handle append(Handle& parent, const std::string& title, const Handle& page) {
        Handle item = pdf_.makeIndirectObject(Handle::newDictionary());
        item.replaceKey("/Title", Handle::newUnicodeString(title));
        item.replaceKey("/Parent", parent);
        item.replaceKey("/Dest", Handle::newArray({page, Handle::newName("/Fit")}));
        if (parent.hasKey("/Last")) {
            Handle last = parent.getKey("/Last");
            last.replaceKey("/Next", item);
            item.replaceKey("/Prev", last);
        } else {
            parent.replaceKey("/First", item);
        }
        parent.replaceKey("/Last", item);
        return item;
    }

    QPDF& pdf_;
    const jobfiles::PictureTitles& titles_;
    Handle root_;
    Handle picture_;
    std::uint64_t pictureIndex_ = 0;
    Handle firstPage_;
    int firstNumber_ = 1;
    int children_ = 0;
    long long entries_ = 0;
};

// Readers of AES-256 PDFs use the first 127 bytes of a password; qpdf 11.3 writes the keys of
// the whole one, so a longer password would open nothing unless cut the same way here.
std::string readerPassword(const std::string& password) {
    return password.substr(0, jobfiles::kMostPasswordBytes);
}

// A password nobody knows, for permissions without an owner password.
std::string randomPassword() {
    unsigned char bytes[24];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t count = getrandom(bytes + got, sizeof bytes - got, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            throw std::runtime_error("no random numbers for the owner password");
        got += static_cast<std::size_t>(count);
    }
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

class DocumentBuilder {
public:
    DocumentBuilder(const std::vector<PageSource>& pages, const jobfiles::PageLayout& layout,
                    const PageWritten& onPageWritten, const WriteExtras& extras)
        : pages_(pages), layout_(layout), pdfa_(extras.pdfa),
          provider_(std::make_shared<JpegFileProvider>(pages, onPageWritten)),
          pngImages_(std::make_shared<PngImages>(pages, onPageWritten)),
          ccittImages_(std::make_shared<CcittImages>(pages, onPageWritten)),
          jbig2Images_(std::make_shared<Jbig2Images>(pages, extras.jbig2, onPageWritten)),
          iccProvider_(std::make_shared<IccFileProvider>(pages)) {
        pdf_.emptyPDF();
        textLayer_ = std::make_unique<TextLayer>(pdf_);
        if (extras.titles != nullptr)
            outline_.emplace(pdf_, *extras.titles);
        pngImages_->setOpaque(pdfa_ == jobfiles::PdfaLevel::A1b);
    }

    QPDF& pdf() { return pdf_; }
    bool needsUserUnit() const { return needsUserUnit_; }
    bool hasJbig2() const { return hasJbig2_; }
    const std::string& pngVersion() const { return pngImages_->minimumVersion(); }
    std::size_t laidOnWhite() const { return pngImages_->laidOnWhite(); }

    // The page of picture `index`, or the pages of its slices: one image for all of them.
    void addPage(std::size_t index) {
        const formats::JpegInfo& info = pages_[index].info;
        const int orientation = turnedOrientation(info.orientation, pages_[index].turn);
        std::vector<PageGeometry> slices =
            splitPageSlices(info.width, info.height, info.xDpi, info.yDpi, orientation, layout_);
        if (slices.empty())
            slices.push_back(
                pageGeometry(info.width, info.height, info.xDpi, info.yDpi, orientation, layout_));
        const Handle image = imageOf(index);
        for (std::size_t slice = 0; slice < slices.size(); ++slice)
            addSheet({{index, orientation, slices[slice], image}}, slice == 0);
    }

    // One sheet showing pictures `first` up to `last` (excluded) in the cells of the layout's
    // grid.
    void addSharedSheet(std::size_t first, std::size_t last) {
        std::vector<SheetPicture> pictures;
        for (std::size_t index = first; index < last; ++index) {
            const formats::JpegInfo& info = pages_[index].info;
            pictures.push_back({info.width, info.height, info.xDpi, info.yDpi,
                                turnedOrientation(info.orientation, pages_[index].turn)});
        }
        const std::vector<PageGeometry> cells = sheetPlacements(pictures, layout_);
        std::vector<Placed> placed;
        for (std::size_t cell = 0; cell < cells.size(); ++cell) {
            const std::size_t index = first + cell;
            placed.push_back({index, pictures[cell].orientation, cells[cell], imageOf(index)});
        }
        addSheet(placed, true);
    }

    // Drops the source's parsed form of a page just copied and of every object reached from it
    // (but other pages and the page tree, which qpdf's copy does not enter either): the copy
    // holds them now, and a later page that shares one finds its copy by number in qpdf's map
    // of the objects copied, never reading it again. Stream data is read from the source's
    // file when the result is written, so nothing of it is lost; without this the source
    // would keep every page's parsed form beside its copy until the end.
    static void releaseCopied(QPDF& source, const Handle& page) {
        std::vector<Handle> pending{page};
        std::vector<QPDFObjGen> copied;
        std::set<QPDFObjGen> seen;
        while (!pending.empty()) {
            Handle object = pending.back();
            pending.pop_back();
            if (object.isIndirect()) {
                if (!seen.insert(object.getObjGen()).second || object.isPagesObject() ||
                    (!copied.empty() && object.isPageObject()))
                    continue;
                copied.push_back(object.getObjGen());
            }
            if (object.isStream())
                object = object.getDict();
            if (object.isArray()) {
                for (int i = 0; i < object.getArrayNItems(); ++i)
                    pending.push_back(object.getArrayItem(i));
            } else if (object.isDictionary()) {
                for (const std::string& key : object.getKeys())
                    pending.push_back(object.getKey(key));
            }
        }
        // An empty dictionary, not null: qpdf takes a key whose value is null for no key, and
        // would drop it from a later page's copy.
        for (const QPDFObjGen& og : copied)
            source.replaceObject(og, Handle::newDictionary());
    }

    // The pages of the PDF of the list at `index` (its page list, else every page), copied as
    // they are (content, resources, annotations; qpdf reads the streams only while the result
    // is written), each turned the item's turn on top of its own /Rotate. Its outline, forms
    // and document information stay behind.
    void addPdfPages(std::size_t index) {
        const formats::PdfOpening opened =
            formats::openPdf(pages_[index].path, pages_[index].pdfPassword);
        if (!opened.pdf)
            throw std::runtime_error(pages_[index].name + " can no longer be opened (" +
                                     opened.reason + ")");
        // Kept to the end: the copied streams are read from it as the result is written.
        sources_.push_back(opened.pdf);
        QPDF& source = *opened.pdf;
        // A /Rotate or box inherited from the page tree goes along with each page.
        source.pushInheritedAttributesToPage();
        const int turn = pages_[index].turn;
        QPDFPageDocumentHelper target(pdf_);
        std::vector<QPDFPageObjectHelper> all = QPDFPageDocumentHelper(source).getAllPages();
        // The pages chosen from it in their order, else all; numbered as in the source, which
        // is how its recognised words are keyed.
        std::vector<int> numbers = pages_[index].pdfPageList;
        if (numbers.empty())
            for (std::size_t n = 1; n <= all.size(); ++n)
                numbers.push_back(static_cast<int>(n));
        bool first = true;
        for (const int number : numbers) {
            const QPDFPageObjectHelper& page = all.at(static_cast<std::size_t>(number) - 1);
            target.addPage(page, false);
            Handle added = pdf_.getAllPages().back();
            textLayer_->addToPdfPage(pages_[index].path, number, added);
            if (turn != 0) {
                Handle own = added.getKey("/Rotate");
                const int rotate = own.isInteger() ? own.getIntValueAsInt() : 0;
                added.replaceKey("/Rotate",
                                 Handle::newInteger(((rotate + turn) % 360 + 360) % 360));
            }
            if (outline_ && first)
                outline_->addPage(pages_[index].name, added);
            first = false;
            releaseCopied(source, page.getObjectHandle());
        }
        if (source.getPDFVersion() > pdfVersion_)
            pdfVersion_ = source.getPDFVersion();
    }

    // The highest version of the PDFs of the list copied, empty without any.
    const std::string& pdfVersion() const { return pdfVersion_; }

    void finishOutline() {
        if (outline_)
            outline_->finish();
    }

    void setDocInfo(const jobfiles::DocInfo& docInfo) {
        Handle info = Handle::newDictionary();
        const bool archive = pdfa_ != jobfiles::PdfaLevel::Off;
        const auto text = [&info, archive](const char* key, const std::string& value) {
            // PDF/A repeats the text in XML, which cannot hold every character.
            const std::string shown = archive ? xmlSafe(value) : value;
            if (!shown.empty())
                info.replaceKey(key, Handle::newUnicodeString(shown));
        };
        text("/Title", docInfo.title);
        text("/Author", docInfo.author);
        text("/Subject", docInfo.subject);
        text("/Keywords", docInfo.keywords);
        info.replaceKey("/Creator", Handle::newUnicodeString("Pagewright"));
        info.replaceKey("/Producer", Handle::newUnicodeString("Pagewright"));
        const std::string date = jobfiles::isPdfDate(docInfo.creationDate)
                                     ? docInfo.creationDate
                                     : jobfiles::pdfDate(std::time(nullptr));
        if (!date.empty())
            info.replaceKey("/CreationDate", Handle::newString(date));
        if (archive)
            info.replaceKey("/ModDate", Handle::newString(jobfiles::pdfDate(std::time(nullptr))));
        pdf_.getTrailer().replaceKey("/Info", pdf_.makeIndirectObject(info));
        if (archive)
            addPdfaParts(pdf_, pdfa_);
    }

private:
    // A picture on a sheet: its page source, orientation as shown, place, and image.
    struct Placed {
        std::size_t index;
        int orientation;
        PageGeometry geometry;
        Handle image;
    };

    Handle imageOf(std::size_t index) {
        const std::optional<formats::PngInfo>& png = pages_[index].png;
        if (pages_[index].jbig2) {
            hasJbig2_ = true;
            return jbig2Images_->image(pdf_, index);
        }
        return pages_[index].g4 ? ccittImages_->image(pdf_, index)
               : png ? pngImages_->image(pdf_, index, colourSpace(index, png->baseColours()))
                     : jpegImage(index);
    }

    // A page of the size of the first picture's geometry showing every picture placed on it;
    // `first`: the pictures' first pages, which their bookmarks lead to.
    void addSheet(const std::vector<Placed>& placed, bool first) {
        const PageGeometry& sheet = placed.front().geometry;
        std::string content;
        Handle resources = Handle::newDictionary();
        Handle xobjects = Handle::newDictionary();
        for (std::size_t item = 0; item < placed.size(); ++item) {
            const PageGeometry& geometry = placed[item].geometry;
            const std::string name = "/Im" + std::to_string(item);
            content += "q ";
            if (geometry.clip) {
                content += number(geometry.clipBox[0]) + " " + number(geometry.clipBox[1]) + " " +
                           number(geometry.clipBox[2]) + " " + number(geometry.clipBox[3]) +
                           " re W n ";
            }
            content += number(geometry.matrix[0]) + " " + number(geometry.matrix[1]) + " " +
                       number(geometry.matrix[2]) + " " + number(geometry.matrix[3]) + " " +
                       number(geometry.matrix[4]) + " " + number(geometry.matrix[5]) + " cm " +
                       name + " Do Q\n";
            xobjects.replaceKey(name, placed[item].image);
        }
        resources.replaceKey("/XObject", xobjects);

        Handle page = Handle::newDictionary();
        page.replaceKey("/Type", Handle::newName("/Page"));
        page.replaceKey("/MediaBox", Handle::newArray({Handle::newInteger(0), Handle::newInteger(0),
                                                       real(sheet.width), real(sheet.height)}));
        if (sheet.userUnit != 1.0) {
            page.replaceKey("/UserUnit", real(sheet.userUnit));
            needsUserUnit_ = true;
        }
        Handle contents = Handle::newStream(&pdf_, content);
        for (const Placed& item : placed)
            textLayer_->addToPage(pages_[item.index], item.orientation, item.geometry, resources,
                                  contents);
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", contents);
        Handle added = pdf_.makeIndirectObject(page);
        QPDFPageDocumentHelper(pdf_).addPage(QPDFPageObjectHelper(added), false);
        if (outline_ && first) {
            for (const Placed& item : placed)
                outline_->addPage(pages_[item.index].name, added);
        }
    }

    Handle jpegImage(std::size_t index) {
        const formats::JpegInfo& info = pages_[index].info;
        Handle image = Handle::newStream(&pdf_);
        image.replaceStreamData(provider_, Handle::newName("/DCTDecode"), decodeParms(info));
        Handle dict = image.getDict();
        describeImage(dict, info.width, info.height, 8, colourSpace(index, info.components));
        if (info.components == 4 && info.adobeMarker) {
            // Adobe's CMYK JPEGs store inverted ink values.
            dict.replaceKey("/Decode", Handle::parse("[1 0 1 0 1 0 1 0]"));
        }
        dict.replaceKey("/Length", Handle::newInteger(static_cast<long long>(info.fileSize)));
        provider_->bind(image.getObjGen(), index);
        return image;
    }

    static Handle decodeParms(const formats::JpegInfo& info) {
        if (!info.rgbUntransformed)
            return Handle::newNull();
        // Stored as RGB: tell readers not to convert from YCbCr.
        Handle parms = Handle::newDictionary();
        parms.replaceKey("/ColorTransform", Handle::newInteger(0));
        return parms;
    }

    Handle colourSpace(std::size_t index, int components) {
        const PageSource& page = pages_[index];
        if (page.iccSize == 0 || !keepsProfile(pdfa_, page.iccVersion)) {
            // PDF/A: gray and RGB are read under the sRGB output intent; CMYK, which that
            // intent does not cover, gets a packaged CMYK profile (one stream for all pages).
            if (pdfa_ == jobfiles::PdfaLevel::Off || components != 4)
                return Handle::newName(deviceSpace(components));
            if (!cmykProfile_.isInitialized())
                cmykProfile_ = packagedProfile(pdf_, kCmykProfilePath, kCmykProfilePackage, 4);
            return Handle::newArray({Handle::newName("/ICCBased"), cmykProfile_});
        }
        // Pages sharing a profile (by content) share one stream.
        const std::string key = std::to_string(page.iccSize) + ":" + page.iccDigest;
        auto found = profiles_.find(key);
        if (found == profiles_.end()) {
            Handle stream = Handle::newStream(&pdf_);
            stream.replaceStreamData(iccProvider_, Handle::newName("/FlateDecode"),
                                     Handle::newNull());
            Handle dict = stream.getDict();
            dict.replaceKey("/N", Handle::newInteger(components));
            dict.replaceKey("/Alternate", Handle::newName(deviceSpace(components)));
            iccProvider_->bind(stream.getObjGen(), index);
            found = profiles_.emplace(key, stream).first;
        }
        return Handle::newArray({Handle::newName("/ICCBased"), found->second});
    }

    const std::vector<PageSource>& pages_;
    const jobfiles::PageLayout& layout_;
    const jobfiles::PdfaLevel pdfa_;
    QPDF pdf_;
    Handle cmykProfile_;
    std::shared_ptr<JpegFileProvider> provider_;
    std::shared_ptr<PngImages> pngImages_;
    std::shared_ptr<CcittImages> ccittImages_;
    std::shared_ptr<Jbig2Images> jbig2Images_;
    std::shared_ptr<IccFileProvider> iccProvider_;
    std::map<std::string, Handle> profiles_;
    std::optional<Outline> outline_;
    std::unique_ptr<TextLayer> textLayer_;
    bool needsUserUnit_ = false;
    bool hasJbig2_ = false;
    std::string pdfVersion_;
    std::vector<std::shared_ptr<QPDF>> sources_; // the PDFs of the list copied
};

} // namespace

bool writePdf(const std::vector<PageSource>& pages, const jobfiles::DocInfo& docInfo,
              const jobfiles::PageLayout& layout, std::FILE* out, const PageWritten& onPageWritten,
              std::string& error, const WriteExtras& extras) {
    if (pages.empty()) {
        error = "no pages";
        return false;
    }
    try {
        const bool encrypted = extras.encryption != nullptr && extras.encryption->active();
        if (extras.pdfa != jobfiles::PdfaLevel::Off && encrypted)
            throw std::runtime_error("PDF/A does not allow encryption");
        DocumentBuilder builder(pages, layout, onPageWritten, extras);
        // The pictures between two PDFs of the list share sheets among themselves; the PDFs'
        // pages keep their own.
        const auto perSheet = static_cast<std::size_t>(jobfiles::sheetGrid(layout).cells());
        for (std::size_t run = 0; run < pages.size();) {
            if (pages[run].pdf) {
                builder.addPdfPages(run++);
                continue;
            }
            std::size_t end = run;
            while (end < pages.size() && !pages[end].pdf)
                ++end;
            if (jobfiles::sharesSheets(layout)) {
                for (std::size_t first = run; first < end; first += perSheet)
                    builder.addSharedSheet(first, std::min(end, first + perSheet));
            } else {
                for (std::size_t i = run; i < end; ++i)
                    builder.addPage(i);
            }
            run = end;
        }
        builder.finishOutline();
        builder.setDocInfo(docInfo);

        QPDFWriter writer(builder.pdf());
        writer.setOutputFile("tmpx.pdf", out, false);
        // Pictures go out exactly as read: nothing is decoded or compressed on the way, which
        // also keeps the writer to a single read of each picture.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setObjectStreamMode(qpdf_o_disable);
        writer.setLinearization(false);
        if (extras.pdfa != jobfiles::PdfaLevel::Off)
            writer.setNewlineBeforeEndstream(true); // PDF/A wants an EOL before "endstream"
        if (extras.pdfa == jobfiles::PdfaLevel::A1b) {
            writer.forcePDFVersion("1.4"); // a reader of 1.4 ignores /UserUnit, which fits
        } else {
            // The writer keeps the highest of these.
            if (builder.needsUserUnit())
                writer.setMinimumPDFVersion("1.6");
            if (!builder.pngVersion().empty())
                writer.setMinimumPDFVersion(builder.pngVersion());
            if (builder.hasJbig2())
                writer.setMinimumPDFVersion("1.4");
            if (!builder.pdfVersion().empty())
                writer.setMinimumPDFVersion(builder.pdfVersion());
        }
        if (const jobfiles::Encryption* encryption = extras.encryption;
            encryption && encryption->active()) {
            const std::string owner = readerPassword(
                encryption->ownerPassword.empty() ? randomPassword() : encryption->ownerPassword);
            const std::string open = readerPassword(encryption->openPassword);
            writer.setR6EncryptionParameters(
                open.c_str(), owner.c_str(), true, encryption->allowCopy, true, true, true, true,
                encryption->allowPrint ? qpdf_r3p_full : qpdf_r3p_none, true);
        }
        writer.write();
        if (extras.laidOnWhite != nullptr)
            *extras.laidOnWhite = builder.laidOnWhite();
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    return true;
}

} // namespace pw::pdftool
