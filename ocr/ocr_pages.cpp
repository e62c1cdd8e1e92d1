#include "ocr/ocr_pages.h"

#include "formats/jpeg_info.h"
#include "jobfiles/page_words.h"
#include "jobfiles/staged_names.h"
#include "ocr/ocr_languages.h"
#include "pictures/jpeg_pixels.h"
#include "pictures/opaque_bitmap.h"
#include "pictures/png_freeimage.h"
#include "platform/files.h"

#include <FreeImage.h>
#include <algorithm>
#include <memory>
#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>
#include <vector>

namespace pw::ocr {
namespace {

// Below this the detected orientation is not trusted (Tesseract's orientation confidence: a
// full page of text scores about 25, two lines about 3; a picture without text gives none).
constexpr float kConfidentOrientation = 2.5f;
// Scans that state no resolution are most often 300 dpi; Tesseract needs one for its sizes.
constexpr int kAssumedDpi = 300;
constexpr int kLeastDpi = 70;

// EXIF orientation 1..8 as a mirror left to right (or none), then quarter turns clockwise.
struct Placement {
    bool mirrored;
    int quarters;
};
constexpr Placement kPlacements[9] = {{false, 0}, {false, 0}, {true, 0}, {false, 2}, {true, 2},
                                      {true, 3},  {false, 1}, {true, 1}, {false, 3}};

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

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
    Engine engine(new tesseract::TessBaseAPI);
    std::vector<std::string> names{"debug_file"};
    std::vector<std::string> values{"/dev/null"};
    const std::string folder = OcrDataFolder();
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
        // command line does: columns, then lines in reading order.
        if (engines.text)
            engines.text->SetPageSegMode(tesseract::PSM_AUTO);
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

// A page decoded to 8-bit grey, turned as the page shows it.
struct GreyPage {
    Bitmap bitmap;
    int dpi = kAssumedDpi;
};

Bitmap turned(Bitmap bitmap, int quarters) {
    quarters = (quarters % 4 + 4) % 4;
    if (quarters == 0 || !bitmap)
        return bitmap;
    // FreeImage turns anticlockwise.
    return Bitmap(FreeImage_Rotate(bitmap.get(), -90.0 * quarters, nullptr));
}

GreyPage greyPage(const std::string& path, int userTurn, std::string& problem) {
    GreyPage page;
    Bitmap decoded;
    int orientation = 1;
    if (jobfiles::isPngName(path)) {
        decoded.reset(pictures::LoadPngWithFreeImage(path));
    } else if (jobfiles::isTiffName(path)) {
        decoded.reset(FreeImage_Load(FIF_TIFF, path.c_str(), 0)); // a Group 4 page
    } else {
        std::string reason;
        if (const auto info = formats::readJpegInfo(path, reason)) {
            orientation = info->orientation;
            if (info->xDpi >= kLeastDpi)
                page.dpi = static_cast<int>(info->xDpi + 0.5);
        }
        decoded.reset(pictures::DecodeJpegPixels(path));
        if (!decoded)
            decoded.reset(FreeImage_Load(FIF_JPEG, path.c_str(), JPEG_CMYK));
    }
    if (!decoded) {
        problem = "its picture could not be decoded again";
        return page;
    }
    const double dpi = FreeImage_GetDotsPerMeterX(decoded.get()) * 0.0254;
    if ((jobfiles::isPngName(path) || jobfiles::isTiffName(path)) && dpi >= kLeastDpi)
        page.dpi = static_cast<int>(dpi + 0.5);
    // 16-bit pages to 8 bits, then transparent parts over white, as the page shows them.
    // FreeImage's standard type conversion takes one sample a pixel only.
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(decoded.get());
    if (type == FIT_RGB16)
        decoded.reset(FreeImage_ConvertTo24Bits(decoded.get()));
    else if (type == FIT_RGBA16)
        decoded.reset(FreeImage_ConvertTo32Bits(decoded.get()));
    else if (type != FIT_BITMAP)
        decoded.reset(FreeImage_ConvertToStandardType(decoded.get(), TRUE));
    Bitmap opaque(decoded ? pictures::OpaqueCopy24(decoded.get(), false) : nullptr);
    decoded.reset();
    Bitmap grey(opaque ? FreeImage_ConvertToGreyscale(opaque.get()) : nullptr);
    opaque.reset();
    if (!grey) {
        problem = "its picture could not be made grey for reading";
        return page;
    }
    const Placement placement = kPlacements[orientation >= 1 && orientation <= 8 ? orientation : 1];
    if (placement.mirrored)
        FreeImage_FlipHorizontal(grey.get());
    page.bitmap = turned(std::move(grey), placement.quarters + userTurn / 90);
    if (!page.bitmap)
        problem = "not enough memory to read it";
    return page;
}

// The grey rows top first, as Tesseract takes them.
std::vector<unsigned char> topDownRows(FIBITMAP* grey, int& pitch) {
    const unsigned width = FreeImage_GetWidth(grey);
    const unsigned height = FreeImage_GetHeight(grey);
    pitch = static_cast<int>((width + 3) & ~3u);
    std::vector<unsigned char> rows(static_cast<std::size_t>(pitch) * height);
    FreeImage_ConvertToRawBits(rows.data(), grey, pitch, 8, 0, 0, 0, TRUE);
    return rows;
}

void setImage(tesseract::TessBaseAPI& engine, FIBITMAP* grey, int dpi) {
    int pitch = 0;
    const std::vector<unsigned char> rows = topDownRows(grey, pitch);
    // Tesseract copies the pixels.
    engine.SetImage(rows.data(), static_cast<int>(FreeImage_GetWidth(grey)),
                    static_cast<int>(FreeImage_GetHeight(grey)), 1, pitch);
    engine.SetSourceResolution(dpi);
}

// The clockwise turn that sets the page's text upright, 0 when not detected with confidence.
int uprightTurn(FIBITMAP* grey, int dpi) {
    tesseract::TessBaseAPI* engine = orientationEngine();
    if (engine == nullptr)
        return 0;
    setImage(*engine, grey, dpi);
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

// Tesseract's question whether to go on, with the job's StopFlag as its data.
bool stopAsked(void* stop, int) {
    return static_cast<const pictures::StopFlag*>(stop)->set();
}

bool recognise(FIBITMAP* grey, int dpi, const std::string& languages, jobfiles::PageWords& words,
               std::string& problem, pictures::StopFlag stop) {
    tesseract::TessBaseAPI* engine = textEngine(languages);
    if (engine == nullptr) {
        const std::string missing = OcrLanguageProblem(languages);
        problem = missing.empty() ? "the text recognition data could not be loaded" : missing;
        return false;
    }
    setImage(*engine, grey, dpi);
    words.width = static_cast<int>(FreeImage_GetWidth(grey));
    words.height = static_cast<int>(FreeImage_GetHeight(grey));
    // Tesseract asks now and then whether to go on, so a stopped job does not wait for it.
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = stopAsked;
    monitor.cancel_this = &stop;
    if (engine->Recognize(&monitor) != 0 || stop.set()) {
        engine->Clear();
        problem = stop.set() ? "" : "the recognition failed";
        return false;
    }
    const std::unique_ptr<tesseract::ResultIterator> it(engine->GetIterator());
    bool block = true;
    // Blocks without words (pictures, rules) are passed over.
    while (it && !it->Empty(tesseract::RIL_BLOCK)) {
        if (it->Empty(tesseract::RIL_WORD)) {
            it->Next(tesseract::RIL_WORD);
            continue;
        }
        if (it->IsAtBeginningOf(tesseract::RIL_BLOCK))
            block = true;
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE) || words.lines.empty()) {
            if (!words.lines.empty() && words.lines.back().words.empty())
                words.lines.pop_back();
            jobfiles::WordLine line;
            line.box = boxAt(*it, tesseract::RIL_TEXTLINE);
            words.lines.push_back(std::move(line));
        }
        const std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_WORD));
        const std::string text = raw ? cleanWord(raw.get()) : std::string();
        if (!text.empty()) {
            jobfiles::WordLine& line = words.lines.back();
            line.newBlock = line.newBlock || (block && line.words.empty());
            block = false;
            line.words.push_back({boxAt(*it, tesseract::RIL_WORD), text});
        }
        it->Next(tesseract::RIL_WORD);
    }
    if (!words.lines.empty() && words.lines.back().words.empty())
        words.lines.pop_back();
    engine->Clear();
    return true;
}

} // namespace

void RecognisePages(staging::PictureStaging& staging, int userTurn,
                    const jobfiles::JobOptions& options, pictures::StopFlag stop) {
    const bool reading = !options.ocrLanguages.empty();
    if (staging.firstFile.empty() || (!reading && !options.autoRotate))
        return;
    for (int page = 1; page <= staging.pageCount && !stop.set(); ++page) {
        const std::string file = staging::ExistingStagedPage(staging.firstFile, page);
        if (!platform::fileExists(file) || (page > 1 && !reading))
            continue;
        std::string problem;
        GreyPage grey = greyPage(file, userTurn + staging.autoTurn, problem);
        if (grey.bitmap && options.autoRotate && page == 1) {
            staging.autoTurn = uprightTurn(grey.bitmap.get(), grey.dpi);
            grey.bitmap = turned(std::move(grey.bitmap), staging.autoTurn / 90);
            if (!grey.bitmap)
                problem = "not enough memory to read it";
        }
        jobfiles::PageWords words;
        if (reading && grey.bitmap &&
            recognise(grey.bitmap.get(), grey.dpi, options.ocrLanguages, words, problem, stop) &&
            !jobfiles::writePageWords(jobfiles::wordsFileFor(file), words))
            problem = "its words could not be written to the temporary folder";
        if (reading && !problem.empty())
            staging.textProblems.push_back(
                staging.pageCount > 1 ? "page " + std::to_string(page) + ": " + problem : problem);
    }
}

} // namespace pw::ocr
