#include "form_fixture.h"
#include "gui/text_group.h"
#include "temp_folder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace pw {
namespace {

// The group as it finds the language data in `folder`.
struct DataFolder {
    explicit DataFolder(const std::string& folder) { setenv("TESSDATA_PREFIX", folder.c_str(), 1); }
    ~DataFolder() { unsetenv("TESSDATA_PREFIX"); }
};

TEST(TextGroup, OffersTheInstalledLanguagesAndSaysWhatIsMissing) {
    test::application();
    test::TempFolder data;
    {
        const DataFolder none(data.path());
        gui::TextGroup group;
        EXPECT_FALSE(group.chkOcr->isEnabled());
        EXPECT_FALSE(group.chkAutoRotate->isEnabled());
        EXPECT_TRUE(group.lblReason->text().contains(QStringLiteral("tesseract-ocr-eng")));
        EXPECT_TRUE(group.lblReason->text().contains(QStringLiteral("tesseract-ocr-osd")));
        jobfiles::JobOptions options;
        options.ocrLanguages = "eng";
        group.setOptions(options);
        group.applyTo(options);
        EXPECT_EQ(options.ocrLanguages, "");
    }
    for (const char* name : {"eng", "deu", "osd"})
        std::ofstream(data / (std::string(name) + ".traineddata")) << "data";
    const DataFolder some(data.path());
    gui::TextGroup group;
    ASSERT_EQ(group.cmbLanguage->count(), 2); // osd holds no language
    EXPECT_EQ(group.cmbLanguage->currentText(), QStringLiteral("eng"));
    jobfiles::JobOptions options;
    options.ocrLanguages = "deu+eng";
    options.autoRotate = true;
    group.setOptions(options);
    EXPECT_TRUE(group.chkOcr->isChecked());
    EXPECT_TRUE(group.lblReason->isHidden());
    jobfiles::JobOptions read;
    group.applyTo(read);
    EXPECT_EQ(read.ocrLanguages, "deu+eng");
    EXPECT_TRUE(read.autoRotate);
    // A saved language whose data is gone is shown with its package.
    options.ocrLanguages = "fra";
    group.setOptions(options);
    EXPECT_TRUE(group.lblReason->text().contains(QStringLiteral("tesseract-ocr-fra")));
}

} // namespace
} // namespace pw
