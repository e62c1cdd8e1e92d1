#include "formats/pdf_page_content.h"

#include <exception>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace pw::formats {
namespace {

using Matrix = std::array<double, 6>;

constexpr Matrix kIdentity{1, 0, 0, 1, 0, 0};
// Forms drawn within forms: deeper nesting (or a form drawing itself) is not followed.
constexpr int kMostFormDepth = 8;
// Content streams are untrusted: a page drawing more images than this is read no further.
constexpr std::size_t kMostImages = 10000;

// `first` then `second`: the matrix that applies `first` and then `second`.
Matrix times(const Matrix& first, const Matrix& second) {
    const auto& [a, b, c, d, e, f] = first;
    const auto& [a2, b2, c2, d2, e2, f2] = second;
    return {a * a2 + b * c2, a * b2 + b * d2,      c * a2 + d * c2,
            c * b2 + d * d2, e * a2 + f * c2 + e2, e * b2 + f * d2 + f2};
}

bool nameIs(QPDFObjectHandle object, const char* name) {
    return object.isName() && object.getName() == name;
}

class ContentReader : public QPDFObjectHandle::ParserCallbacks {
public:
    ContentReader(PdfPageContent& content, QPDFObjectHandle resources, const Matrix& matrix,
                  int depth)
        : content_(content), resources_(resources), matrix_(matrix), depth_(depth) {}

    void handleObject(QPDFObjectHandle object) override {
        if (!object.isOperator()) {
            operands_.push_back(object);
            return;
        }
        const std::string op = object.getOperatorValue();
        if (op == "Tj" || op == "TJ" || op == "'" || op == "\"") {
            // Nothing more matters of a page with text.
            content_.text = true;
            terminateParsing();
        } else if (op == "q") {
            saved_.push_back(matrix_);
        } else if (op == "Q") {
            if (!saved_.empty()) {
                matrix_ = saved_.back();
                saved_.pop_back();
            }
        } else if (op == "cm" && operands_.size() == 6) {
            Matrix m{};
            bool numbers = true;
            for (std::size_t i = 0; i < 6; ++i) {
                numbers = numbers && operands_[i].isNumber();
                m[i] = numbers ? operands_[i].getNumericValue() : 0.0;
            }
            if (numbers)
                matrix_ = times(m, matrix_);
        } else if (op == "BI" || op == "ID" || op == "EI") {
            content_.inlineImage = true;
        } else if (op == "Do" && operands_.size() == 1 && operands_[0].isName()) {
            draw(operands_[0].getName());
        }
        operands_.clear();
    }

    void handleEOF() override {}

private:
    void draw(const std::string& name) {
        QPDFObjectHandle xobjects =
            resources_.isDictionary() ? resources_.getKey("/XObject") : QPDFObjectHandle();
        if (!xobjects.isDictionary())
            return;
        QPDFObjectHandle xobject = xobjects.getKey(name);
        if (!xobject.isStream())
            return;
        QPDFObjectHandle dict = xobject.getDict();
        if (nameIs(dict.getKey("/Subtype"), "/Image")) {
            if (content_.images.size() < kMostImages)
                content_.images.push_back({xobject, matrix_});
            return;
        }
        if (!nameIs(dict.getKey("/Subtype"), "/Form") || depth_ >= kMostFormDepth)
            return;
        Matrix form = kIdentity;
        QPDFObjectHandle own = dict.getKey("/Matrix");
        if (own.isArray() && own.getArrayNItems() == 6) {
            for (int i = 0; i < 6; ++i) {
                QPDFObjectHandle value = own.getArrayItem(i);
                form[static_cast<std::size_t>(i)] = value.isNumber()
                                                        ? value.getNumericValue()
                                                        : kIdentity[static_cast<std::size_t>(i)];
            }
        }
        QPDFObjectHandle resources = dict.getKey("/Resources");
        ContentReader inner(content_, resources.isDictionary() ? resources : resources_,
                            times(form, matrix_), depth_ + 1);
        xobject.parseAsContents(&inner);
        if (content_.text)
            terminateParsing();
    }

    PdfPageContent& content_;
    QPDFObjectHandle resources_;
    Matrix matrix_;
    int depth_;
    std::vector<Matrix> saved_;
    std::vector<QPDFObjectHandle> operands_;
};

} // namespace

PdfPageContent readPdfPageContent(QPDFObjectHandle page) {
    PdfPageContent content;
    try {
        ContentReader reader(content, page.getKey("/Resources"), kIdentity, 0);
        QPDFPageObjectHelper(page).parseContents(&reader);
    } catch (const std::exception& e) {
        content.problem = e.what();
    }
    return content;
}

} // namespace pw::formats
