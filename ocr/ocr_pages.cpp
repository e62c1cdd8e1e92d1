#include "ocr/ocr_pages.h"

#include "formats/jbig2_page.h"
#include "formats/jpeg_info.h"
#include "formats/pdf_document.h"
#include "formats/pdf_page_content.h"
#include "jobfiles/page_words.h"
#include "jobfiles/pdf_page_lists.h"
#include "jobfiles/staged_names.h"
#include "ocr/ocr_languages.h"
#include "pictures/bitmap.h"
#include "pictures/jpeg_pixels.h"
#include "pictures/leptonica_picture.h"
#include "pictures/opaque_bitmap.h"
#include "pictures/pdf_image_pixels.h"
#include "pictures/png_freeimage.h"
#include "platform/files.h"

#include <FreeImage.h>
#undef IFF_DEFAULT // FreeImage's macro; Leptonica has an enumerator of that name
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <leptonica/allheaders.h>
#include <memory>
#include <mutex>
#include <new>
#include <omp.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>
#include <vector>
// jbig2.h defines `inline` away when it is no macro: it comes last, and the definition goes.
#include <jbig2.h>
#undef inline

namespace pw::ocr {
namespace {

// Below this the detected orientation is not trusted (Tesseract's orientation confidence: a
// full page of text scores about 25, two lines about 3; a picture without text gives none).
constexpr float kConfidentOrientation = 2.5f;
// Scans that state no resolution are most often 300 dpi; Tesseract needs one for its sizes.
constexpr int kAssumedDpi = 300;
constexpr int kLeastDpi = 70;
// Tesseract keeps coordinates in 16 bits and refuses a longer side: such a page is read in
// strips across it, each overlapping the next by far more than a line of text is high.
constexpr int kLongestRead = 32000;
constexpr int kStripOverlap = 2000;

// EXIF orientation 1..8 as a mirror left to right (or none), then quarter turns clockwise.
struct Placement {
    bool mirrored;
    int quarters;
};
constexpr Placement kPlacements[9] = {{false, 0}, {false, 0}, {true, 0}, {false, 2}, {true, 2},
                                      {true, 3},  {false, 1}, {true, 1}, {false, 3}};

using pictures::Bitmap;

using Picture = pictures::LeptonicaPicture;

struct TessDeleter {
    void operator()(tesseract::TessBaseAPI* api) const {
        api->End();
        delete api;
    }
};
using Engine = std::unique_ptr<tesseract::TessBaseAPI, TessDeleter>;

// This thread's engines, made on first use and kept for its later pictures.
struct ThreadEngines {
    std::string languages;
    Engine text;
    bool textFailed = false;
    Engine orientation;
    bool orientationFailed = false;
};
thread_local ThreadEngines engines;

Engine makeEngine(const std::string& languages) {
    // Debian's Tesseract runs parts of its recognition on OpenMP threads; every staging
    // worker has its own engine already, so each stays on its own thread.
    omp_set_max_active_levels(0);
    // Leptonica writes its complaints to standard error, the command line's own channel.
    static std::once_flag quiet;
    std::call_once(quiet, [] { setMsgSeverity(L_SEVERITY_NONE); });
    Engine engine(new tesseract::TessBaseAPI);
    std::vector<std::string> names{"debug_file"};
    std::vector<std::string> values{"/dev/null"};
    const std::string folder = ocrDataFolder();
    // Init sets parameters that are global to the library (debug_file among them): one
    // engine starts at a time.
    static std::mutex starting;
    const std::lock_guard<std::mutex> lock(starting);
    if (engine->Init(folder.c_str(), languages.c_str(), tesseract::OEM_DEFAULT, nullptr, 0, &names,
                     &values, false) != 0)
        return nullptr;
    return engine;
}

tesseract::TessBaseAPI* textEngine(const std::string& languages) {
    if (engines.languages != languages) {
        engines.text.reset();
        engines.textFailed = false;
        engines.languages = languages;
    }
    if (!engines.text && !engines.textFailed) {
        engines.text = makeEngine(languages);
        engines.textFailed = !engines.text;
        // The library reads a single block unless told to find the page's layout, as its
        // command line does: columns, then lines in reading order. With the orientation data
        // it also finds which way each block's text runs and reads it that way, so a page
        // shown sideways is read; its boxes stay those of the page as given.
        if (engines.text)
            engines.text->SetPageSegMode(orientationDataInstalled() ? tesseract::PSM_AUTO_OSD
                                                                    : tesseract::PSM_AUTO);
    }
    return engines.text.get();
}

tesseract::TessBaseAPI* orientationEngine() {
    if (!engines.orientation && !engines.orientationFailed) {
        engines.orientation = makeEngine("osd");
        engines.orientationFailed = !engines.orientation;
        if (engines.orientation)
            engines.orientation->SetPageSegMode(tesseract::PSM_OSD_ONLY);
    }
    return engines.orientation.get();
}

// A staged JBIG2 page decoded with jbig2dec into a picture of 1 bit a pixel (both have black for
// 1), with the resolution its header states.
Picture jbig2Picture(const std::string& path, double& xDpi) {
    std::string reason;
    const std::optional<formats::Jbig2Page> page = formats::readJbig2Page(path, reason);
    if (!page)
        return nullptr;
    xDpi = page->xDpi;
    std::vector<unsigned char> stream(page->streamBytes);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return nullptr;
    const bool read = std::fseek(file, static_cast<long>(page->streamOffset), SEEK_SET) == 0 &&
                      std::fread(stream.data(), 1, stream.size(), file) == stream.size();
    std::fclose(file);
    if (!read)
        return nullptr;
    Jbig2Ctx* context = jbig2_ctx_new(nullptr, JBIG2_OPTIONS_EMBEDDED, nullptr, nullptr, nullptr);
    if (context == nullptr)
        return nullptr;
    Picture picture;
    if (jbig2_data_in(context, stream.data(), stream.size()) == 0 &&
        jbig2_complete_page(context) == 0) {
        if (Jbig2Image* image = jbig2_page_out(context)) {
            if (image->width == page->width && image->height == page->height)
                picture.reset(
                    pixCreate(static_cast<int>(image->width), static_cast<int>(image->height), 1));
            if (picture) {
                const std::size_t rowBytes = (std::size_t{image->width} + 7) / 8;
                l_uint32* data = pixGetData(picture.get());
                const int wordsPerRow = pixGetWpl(picture.get());
                for (std::uint32_t y = 0; y < image->height; ++y)
                    std::memcpy(data + static_cast<std::size_t>(y) * wordsPerRow,
                                image->data + std::size_t{y} * image->stride, rowBytes);
                // Leptonica keeps a row's bytes in 32-bit words, the first byte the most
                // significant.
                pixEndianByteSwap(picture.get());
                pixSetPadBits(picture.get(), 0);
            }
            jbig2_release_page(context, image);
        }
    }
    jbig2_ctx_free(context);
    return picture;
}

// The decoded page as a grey (or black-and-white) picture for reading, each step releasing the
// step before: a page is large, and Tesseract makes its own copy besides.
Picture readablePicture(Bitmap decoded) {
    const bool plain = FreeImage_GetImageType(decoded.get()) == FIT_BITMAP &&
                       !FreeImage_IsTransparent(decoded.get());
    const unsigned bits = FreeImage_GetBPP(decoded.get());
    if (plain &&
        (bits == 1 || (bits == 8 && FreeImage_GetColorType(decoded.get()) == FIC_MINISBLACK)))
        return pictures::leptonicaPicture(decoded.get());
    if (!plain || bits != 24) {
        // 16-bit pages to 8 bits, then transparent parts over white, as the page shows them.
        // FreeImage's standard type conversion takes one sample a pixel only.
        const FREE_IMAGE_TYPE type = FreeImage_GetImageType(decoded.get());
        if (type == FIT_RGB16)
            decoded.reset(FreeImage_ConvertTo24Bits(decoded.get()));
        else if (type == FIT_RGBA16)
            decoded.reset(FreeImage_ConvertTo32Bits(decoded.get()));
        else if (type != FIT_BITMAP)
            decoded.reset(FreeImage_ConvertToStandardType(decoded.get(), TRUE));
        if (decoded)
            decoded = pictures::opaqueCopy24(decoded.get(), false);
    }
    Bitmap grey(decoded ? FreeImage_ConvertToGreyscale(decoded.get()) : nullptr);
    decoded.reset();
    return pictures::leptonicaPicture(grey.get());
}

Picture turned(Picture picture, int quarters) {
    quarters = (quarters % 4 + 4) % 4;
    if (quarters == 0 || !picture)
        return picture;
    return Picture(pixRotateOrth(picture.get(), quarters)); // clockwise
}

// A page decoded for reading, turned as the page shows it.
struct ReadablePage {
    Picture picture;
    int dpi = kAssumedDpi;
};

ReadablePage readablePage(const std::string& path, int userTurn, std::string& problem) {
    ReadablePage page;
    Bitmap decoded;
    int orientation = 1;
    Picture picture;
    double dpi = 0.0;
    if (jobfiles::isJbig2Name(path)) {
        picture = jbig2Picture(path, dpi);
        if (!picture) {
            problem = "its picture could not be decoded again";
            return page;
        }
    } else if (jobfiles::isPngName(path)) {
        decoded = pictures::loadPngWithFreeImage(path);
    } else if (jobfiles::isTiffName(path)) {
        decoded.reset(FreeImage_Load(FIF_TIFF, path.c_str(), 0)); // a Group 4 page
    } else {
        std::string reason;
        if (const auto info = formats::readJpegInfo(path, reason)) {
            orientation = info->orientation;
            if (info->xDpi >= kLeastDpi)
                page.dpi = static_cast<int>(info->xDpi + 0.5);
        }
        decoded = pictures::decodeJpegPixels(path, {}, true);
        if (!decoded)
            decoded.reset(FreeImage_Load(FIF_JPEG, path.c_str(), JPEG_CMYK));
    }
    if (!picture) {
        if (!decoded) {
            problem = "its picture could not be decoded again";
            return page;
        }
        dpi = FreeImage_GetDotsPerMeterX(decoded.get()) * 0.0254;
        picture = readablePicture(std::move(decoded));
    }
    if ((jobfiles::isPngName(path) || jobfiles::isTiffName(path) || jobfiles::isJbig2Name(path)) &&
        dpi >= kLeastDpi)
        page.dpi = static_cast<int>(dpi + 0.5);
    const Placement placement = kPlacements[orientation >= 1 && orientation <= 8 ? orientation : 1];
    if (picture && placement.mirrored)
        picture.reset(pixFlipLR(nullptr, picture.get()));
    page.picture = turned(std::move(picture), placement.quarters + userTurn / 90);
    if (!page.picture)
        problem = "not enough memory to read it";
    else
        pixSetResolution(page.picture.get(), page.dpi, page.dpi);
    return page;
}

// The clockwise turn that sets the page's text upright, 0 when not detected with confidence.
int uprightTurn(Pix* picture, int dpi) {
    tesseract::TessBaseAPI* engine = orientationEngine();
    if (engine == nullptr)
        return 0;
    engine->SetImage(picture);
    engine->SetSourceResolution(dpi);
    int degrees = 0;
    float confidence = 0.0f;
    const char* script = nullptr;
    float scriptConfidence = 0.0f;
    const bool found =
        engine->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    engine->Clear();
    if (!found || confidence < kConfidentOrientation)
        return 0;
    return (360 - degrees % 360) % 360; // Tesseract gives the text's own clockwise turn
}

// A word's text as the words file takes it: no control characters, at most kMostWordBytes,
// cut at a character boundary.
std::string cleanWord(const char* raw) {
    std::string text;
    for (const char* c = raw; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte > 0x20 && byte != 0x7F)
            text += *c;
    }
    if (text.size() > jobfiles::kMostWordBytes) {
        std::size_t cut = jobfiles::kMostWordBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    return text;
}

jobfiles::WordBox boxAt(const tesseract::ResultIterator& it, tesseract::PageIteratorLevel level) {
    jobfiles::WordBox box;
    it.BoundingBox(level, &box.left, &box.top, &box.right, &box.bottom);
    return box;
}

// The clockwise turn of the text at the iterator: which way its letters' tops point.
int textTurn(const tesseract::ResultIterator& it) {
    tesseract::Orientation orientation = tesseract::ORIENTATION_PAGE_UP;
    tesseract::WritingDirection direction{};
    tesseract::TextlineOrder order{};
    float deskew = 0.0f;
    it.Orientation(&orientation, &direction, &order, &deskew);
    switch (orientation) {
    case tesseract::ORIENTATION_PAGE_RIGHT:
        return 90;
    case tesseract::ORIENTATION_PAGE_DOWN:
        return 180;
    case tesseract::ORIENTATION_PAGE_LEFT:
        return 270;
    default:
        return 0;
    }
}

// The lines the engine read, in reading order; blocks without words (pictures, rules) are
// passed over.
std::vector<jobfiles::WordLine> readLines(tesseract::TessBaseAPI& engine) {
    std::vector<jobfiles::WordLine> lines;
    const std::unique_ptr<tesseract::ResultIterator> it(engine.GetIterator());
    bool block = true;
    while (it && !it->Empty(tesseract::RIL_BLOCK)) {
        if (it->Empty(tesseract::RIL_WORD)) {
            it->Next(tesseract::RIL_WORD);
            continue;
        }
        if (it->IsAtBeginningOf(tesseract::RIL_BLOCK))
            block = true;
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE) || lines.empty()) {
            if (!lines.empty() && lines.back().words.empty())
                lines.pop_back();
            jobfiles::WordLine line;
            line.box = boxAt(*it, tesseract::RIL_TEXTLINE);
            line.turn = textTurn(*it);
            lines.push_back(std::move(line));
        }
        const std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_WORD));
        const std::string text = raw ? cleanWord(raw.get()) : std::string();
        if (!text.empty()) {
            jobfiles::WordLine& line = lines.back();
            line.newBlock = line.newBlock || (block && line.words.empty());
            block = false;
            line.words.push_back({boxAt(*it, tesseract::RIL_WORD), text});
        }
        it->Next(tesseract::RIL_WORD);
    }
    if (!lines.empty() && lines.back().words.empty())
        lines.pop_back();
    return lines;
}

// A part of a page's long side read on its own, and the part of it whose text it gives: from
// the middle of its overlap with the strip before to the middle of that with the next.
struct Strip {
    int start, length, ownStart, ownEnd;
};

std::vector<Strip> stripsOf(int side) {
    if (side <= kLongestRead)
        return {{0, side, 0, side}};
    const int count =
        (side - kStripOverlap + kLongestRead - kStripOverlap - 1) / (kLongestRead - kStripOverlap);
    const int length = (side - kStripOverlap + count - 1) / count + kStripOverlap;
    std::vector<Strip> strips;
    for (int i = 0; i < count; ++i) {
        const int start = std::min(i * (length - kStripOverlap), side - length);
        strips.push_back({start, length, i == 0 ? 0 : start + kStripOverlap / 2, side});
        if (i > 0)
            strips[i - 1].ownEnd = strips[i].ownStart;
    }
    return strips;
}

// Keeps of a strip's lines the text it owns: a line short along the strip's side, which the
// strip sees whole, by its middle; a line running along it (cut by the strips) word by word.
void keepOwned(std::vector<jobfiles::WordLine>& lines, const Strip& strip, bool downward) {
    const auto from = [&](const jobfiles::WordBox& box) { return downward ? box.top : box.left; };
    const auto to = [&](const jobfiles::WordBox& box) { return downward ? box.bottom : box.right; };
    const auto owned = [&](const jobfiles::WordBox& box) {
        const int middle = (from(box) + to(box)) / 2;
        return middle >= strip.ownStart && middle < strip.ownEnd;
    };
    std::vector<jobfiles::WordLine> kept;
    bool block = false;
    for (jobfiles::WordLine& line : lines) {
        block = block || line.newBlock;
        if (to(line.box) - from(line.box) >= kStripOverlap / 2) {
            std::vector<jobfiles::PageWord> words;
            for (jobfiles::PageWord& word : line.words)
                if (owned(word.box))
                    words.push_back(std::move(word));
            if (!words.empty() && words.size() < line.words.size()) {
                int& start = downward ? line.box.top : line.box.left;
                int& end = downward ? line.box.bottom : line.box.right;
                start = from(words.front().box);
                end = to(words.front().box);
                for (const jobfiles::PageWord& word : words) {
                    start = std::min(start, from(word.box));
                    end = std::max(end, to(word.box));
                }
            }
            line.words = std::move(words);
        } else if (!owned(line.box)) {
            line.words.clear();
        }
        if (line.words.empty())
            continue;
        line.newBlock = block;
        block = false;
        kept.push_back(std::move(line));
    }
    lines = std::move(kept);
}

// Tesseract's question whether to go on, with the job's StopFlag as its data.
bool stopAsked(void* stop, int) {
    return static_cast<const pictures::StopFlag*>(stop)->set();
}

// Moves the boxes of lines read from a strip to their place on the page.
void moveBy(std::vector<jobfiles::WordLine>& lines, int right, int down) {
    const auto move = [&](jobfiles::WordBox& box) {
        box.left += right;
        box.right += right;
        box.top += down;
        box.bottom += down;
    };
    for (jobfiles::WordLine& line : lines) {
        move(line.box);
        for (jobfiles::PageWord& word : line.words)
            move(word.box);
    }
}

// Reads the picture's words; the picture is released once the engine has its own copy (of
// the whole page, or of each strip in turn).
bool recognise(Picture picture, int dpi, const std::string& languages, jobfiles::PageWords& words,
               std::string& problem, pictures::StopFlag stop) {
    tesseract::TessBaseAPI* engine = textEngine(languages);
    if (engine == nullptr) {
        const std::string missing = ocrLanguageProblem(languages);
        problem = !missing.empty()
                      ? missing
                      : "the text recognition data for " + languages + " could not be loaded";
        return false;
    }
    words.width = pixGetWidth(picture.get());
    words.height = pixGetHeight(picture.get());
    const bool downward = words.height >= words.width;
    const std::vector<Strip> strips = stripsOf(downward ? words.height : words.width);
    for (const Strip& strip : strips) {
        if (strips.size() == 1) {
            engine->SetImage(picture.get());
            picture.reset();
        } else {
            Box* box = downward ? boxCreate(0, strip.start, words.width, strip.length)
                                : boxCreate(strip.start, 0, strip.length, words.height);
            Picture part(box != nullptr ? pixClipRectangle(picture.get(), box, nullptr) : nullptr);
            boxDestroy(&box);
            if (!part) {
                engine->Clear();
                problem = "not enough memory to read it";
                return false;
            }
            engine->SetImage(part.get());
        }
        engine->SetSourceResolution(dpi);
        // Tesseract asks now and then whether to go on, so a stopped job does not wait for it.
        tesseract::ETEXT_DESC monitor;
        monitor.cancel = stopAsked;
        monitor.cancel_this = &stop;
        if (engine->Recognize(&monitor) != 0 || stop.set()) {
            engine->Clear();
            problem = stop.set() ? "" : "the recognition failed";
            return false;
        }
        std::vector<jobfiles::WordLine> lines = readLines(*engine);
        if (strips.size() > 1) {
            moveBy(lines, downward ? 0 : strip.start, downward ? strip.start : 0);
            keepOwned(lines, strip, downward);
        }
        std::move(lines.begin(), lines.end(), std::back_inserter(words.lines));
    }
    engine->Clear();
    return true;
}

void recognisePage(staging::PictureStaging& staging, int page, int userTurn,
                   const jobfiles::JobOptions& options, pictures::StopFlag stop,
                   std::string& problem) {
    const bool reading = !options.ocrLanguages.empty();
    const std::string file = staging::existingStagedPage(staging.firstFile, page);
    ReadablePage readable = readablePage(file, userTurn + staging.autoTurn, problem);
    if (readable.picture && options.autoRotate && page == 1) {
        staging.autoTurn = uprightTurn(readable.picture.get(), readable.dpi);
        readable.picture = turned(std::move(readable.picture), staging.autoTurn / 90);
        if (!readable.picture)
            problem = "not enough memory to read it";
    }
    jobfiles::PageWords words;
    if (reading && readable.picture &&
        recognise(std::move(readable.picture), readable.dpi, options.ocrLanguages, words, problem,
                  stop) &&
        !jobfiles::writePageWords(jobfiles::wordsFileFor(file), words))
        problem = "its words could not be written to the temporary folder";
}

// A page of a PDF of the list whose picture is read: the picture arranged as the page holds it
// in its user space (x to the right, y down), where it lies there and its resolution.
struct PdfPagePicture {
    Picture picture;
    std::array<double, 4> place{}; // left, bottom, width, height in points
    int dpi = kAssumedDpi;
};

// Of a matrix's parts below this fraction of the others, a picture is taken to lie square.
constexpr double kSquareSlant = 1e-3;
// The least part of the page's visible area the picture read must cover.
constexpr double kLeastCover = 0.5;

// The page's picture to read, or null with `skipped` set to why it is not read ("" when the page
// has text or draws no picture, so there is nothing to say).
PdfPagePicture pdfPagePicture(QPDFObjectHandle page, std::string& skipped) {
    PdfPagePicture result;
    const formats::PdfPageContent content = formats::readPdfPageContent(page);
    if (content.text)
        return result;
    if (!content.problem.empty()) {
        skipped = "its content cannot be read (" + content.problem + ")";
        return result;
    }
    if (content.images.empty()) {
        if (content.inlineImage)
            skipped = "its picture lies inside its content, where it is not read";
        return result;
    }
    const QPDFObjectHandle::Rectangle crop =
        QPDFPageObjectHelper(page).getCropBox(false, true).getArrayAsRectangle();
    const double cropLeft = std::min(crop.llx, crop.urx);
    const double cropRight = std::max(crop.llx, crop.urx);
    const double cropBottom = std::min(crop.lly, crop.ury);
    const double cropTop = std::max(crop.lly, crop.ury);
    // The largest picture, by the part of the visible page it covers.
    const formats::PdfDrawnImage* largest = nullptr;
    double largestCover = 0.0;
    for (const formats::PdfDrawnImage& drawn : content.images) {
        const auto& [a, b, c, d, e, f] = drawn.matrix;
        const double left = std::max(std::min({e, e + a, e + c, e + a + c}), cropLeft);
        const double right = std::min(std::max({e, e + a, e + c, e + a + c}), cropRight);
        const double bottom = std::max(std::min({f, f + b, f + d, f + b + d}), cropBottom);
        const double top = std::min(std::max({f, f + b, f + d, f + b + d}), cropTop);
        const double cover = right > left && top > bottom ? (right - left) * (top - bottom) : 0.0;
        if (largest == nullptr || cover > largestCover) {
            largest = &drawn;
            largestCover = cover;
        }
    }
    const double visible = (cropRight - cropLeft) * (cropTop - cropBottom);
    if (largestCover < kLeastCover * visible) {
        skipped = "no picture covers most of it";
        return result;
    }
    const auto& [a, b, c, d, e, f] = largest->matrix;
    const double scale = std::abs(a) + std::abs(b) + std::abs(c) + std::abs(d);
    const bool upright = std::abs(b) <= kSquareSlant * scale && std::abs(c) <= kSquareSlant * scale;
    const bool sideways =
        std::abs(a) <= kSquareSlant * scale && std::abs(d) <= kSquareSlant * scale;
    if (!upright && !sideways) {
        skipped = "its picture is drawn at a slant";
        return result;
    }
    std::string problem;
    pictures::Bitmap pixels =
        pictures::takeBitmap(pictures::pdfImagePixels(largest->image), problem);
    if (!pixels) {
        skipped = problem;
        return result;
    }
    result.picture = pictures::leptonicaPicture(pixels.get());
    pixels.reset();
    // The image's first row lies at the top of its unit square; arranged as the page shows it.
    const auto flip = [&](bool leftRight, bool topBottom) {
        if (result.picture && leftRight)
            result.picture.reset(pixFlipLR(nullptr, result.picture.get()));
        if (result.picture && topBottom)
            result.picture.reset(pixFlipTB(nullptr, result.picture.get()));
    };
    if (upright) {
        flip(a < 0, d < 0);
    } else {
        // Its rows run across the page: transposed (a clockwise turn, then mirrored).
        if (result.picture)
            result.picture.reset(pixRotate90(result.picture.get(), 1));
        flip(c<0, b> 0);
    }
    if (!result.picture) {
        skipped = "not enough memory to read it";
        return result;
    }
    const double left = std::min({e, e + a, e + c, e + a + c});
    const double bottom = std::min({f, f + b, f + d, f + b + d});
    result.place = {left, bottom, std::max({e, e + a, e + c, e + a + c}) - left,
                    std::max({f, f + b, f + d, f + b + d}) - bottom};
    const double dpi = pixGetWidth(result.picture.get()) * 72.0 / result.place[2];
    result.dpi = dpi >= kLeastDpi ? static_cast<int>(std::min(dpi, 2400.0) + 0.5) : kLeastDpi;
    return result;
}

// Lines read from a picture turned `quarters` clockwise, put back on the picture before the
// turn, `width` x `height` pixels.
void unturnLines(std::vector<jobfiles::WordLine>& lines, int quarters, int width, int height) {
    const auto unturn = [&](jobfiles::WordBox& box) {
        const jobfiles::WordBox read = box;
        if (quarters == 1)
            box = {read.top, height - read.right, read.bottom, height - read.left};
        else if (quarters == 2)
            box = {width - read.right, height - read.bottom, width - read.left, height - read.top};
        else if (quarters == 3)
            box = {width - read.bottom, read.left, width - read.top, read.right};
    };
    for (jobfiles::WordLine& line : lines) {
        unturn(line.box);
        for (jobfiles::PageWord& word : line.words)
            unturn(word.box);
        line.turn = ((line.turn - 90 * quarters) % 360 + 360) % 360;
    }
}

// "page 3", "pages 2 and 5", "pages 1, 4 and 7".
std::string pagesText(const std::vector<int>& pages) {
    std::string text = pages.size() == 1 ? "page " : "pages ";
    for (std::size_t i = 0; i < pages.size(); ++i)
        text += (i == 0 ? "" : i + 1 == pages.size() ? " and " : ", ") + std::to_string(pages[i]);
    return text;
}

} // namespace

void recognisePdfPages(staging::PictureStaging& staging, const std::string& name,
                       const std::string& password, int userTurn,
                       const jobfiles::JobOptions& options, const std::vector<int>& chosen,
                       pictures::StopFlag stop) {
    if (staging.firstFile.empty() || options.ocrLanguages.empty())
        return;
    const formats::PdfOpening opened = formats::openPdf(staging.firstFile, password);
    if (!opened.pdf) {
        staging.textProblems.push_back("it could not be opened again: " + opened.reason);
        return;
    }
    // The pages the builder copies; none listed: every page.
    std::vector<bool> wanted;
    for (const int page : jobfiles::keptPdfPages(chosen, opened.pages)) {
        wanted.resize(opened.pages + 1, false);
        wanted[static_cast<std::size_t>(page)] = true;
    }
    // Pages skipped for each reason, told once a reason.
    std::vector<std::pair<std::string, std::vector<int>>> skippedPages;
    int number = 0;
    try {
        opened.pdf->pushInheritedAttributesToPage();
        for (QPDFObjectHandle page : opened.pdf->getAllPages()) {
            if (stop.set())
                return;
            ++number;
            if (!wanted.empty() &&
                (static_cast<std::size_t>(number) >= wanted.size() || !wanted[number]))
                continue; // a page left out of this item is not read
            std::string skipped;
            PdfPagePicture picture = pdfPagePicture(page, skipped);
            if (!picture.picture) {
                if (skipped.empty())
                    continue;
                auto same = std::find_if(skippedPages.begin(), skippedPages.end(),
                                         [&](const auto& kept) { return kept.first == skipped; });
                if (same == skippedPages.end())
                    skippedPages.push_back({skipped, {number}});
                else
                    same->second.push_back(number);
                continue;
            }
            // Read as the page is shown: its own turn and the item's.
            QPDFObjectHandle rotate = page.getKey("/Rotate");
            const int own = rotate.isInteger() ? rotate.getIntValueAsInt() : 0;
            const int quarters = ((own + userTurn) / 90 % 4 + 4) % 4;
            const int width = pixGetWidth(picture.picture.get());
            const int height = pixGetHeight(picture.picture.get());
            Picture shown = turned(std::move(picture.picture), quarters);
            std::string problem = shown ? "" : "not enough memory to read it";
            jobfiles::PageWords words;
            if (shown) {
                pixSetResolution(shown.get(), picture.dpi, picture.dpi);
                if (recognise(std::move(shown), picture.dpi, options.ocrLanguages, words, problem,
                              stop)) {
                    unturnLines(words.lines, quarters, width, height);
                    words.width = width;
                    words.height = height;
                    words.place = picture.place;
                    const std::string file =
                        jobfiles::wordsFileFor(jobfiles::stagedPageName(staging.firstFile, number));
                    if (!jobfiles::writePageWords(file, words))
                        problem = "its words could not be written to the temporary folder";
                }
            }
            if (!problem.empty())
                staging.textProblems.push_back(
                    staging.pageCount > 1 ? "page " + std::to_string(number) + ": " + problem
                                          : problem);
        }
    } catch (const std::bad_alloc&) {
        engines = ThreadEngines();
        staging.textProblems.push_back("page " + std::to_string(number) +
                                       ": not enough memory to read it");
    } catch (const std::exception& e) {
        staging.textProblems.push_back("page " + std::to_string(number) + ": " + e.what());
    }
    for (const auto& [reason, pages] : skippedPages)
        staging.notices.push_back("The text of " + pagesText(pages) + " of " + name +
                                  " is not read: " + reason + ".");
}

void recognisePages(staging::PictureStaging& staging, int userTurn,
                    const jobfiles::JobOptions& options, pictures::StopFlag stop) {
    const bool reading = !options.ocrLanguages.empty();
    if (staging.firstFile.empty() || (!reading && !options.autoRotate))
        return;
    for (int page = 1; page <= staging.pageCount && !stop.set(); ++page) {
        const std::string file = staging::existingStagedPage(staging.firstFile, page);
        if (!platform::fileExists(file) || (page > 1 && !reading))
            continue;
        std::string problem;
        try {
            recognisePage(staging, page, userTurn, options, stop, problem);
        } catch (const std::bad_alloc&) {
            engines = ThreadEngines(); // whatever state the engines were left in
            problem = "not enough memory to read it";
        }
        if (reading && !problem.empty())
            staging.textProblems.push_back(
                staging.pageCount > 1 ? "page " + std::to_string(page) + ": " + problem : problem);
    }
}

} // namespace pw::ocr
