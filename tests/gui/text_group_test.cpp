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
    // Data files as Tesseract's table of contents starts them: one entry, right after it.
    const std::string whole("\x01\0\0\0\x0C\0\0\0\0\0\0\0data", 16);
    for (const char* name : {"eng", "deu", "osd"})
        std::ofstream(data / (std::string(name) + ".traineddata")) << whole;
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
    // A saved language whose data is gone is shown with its package, and so is one whose data
    // is damaged.
    options.ocrLanguages = "fra";
    group.setOptions(options);
    EXPECT_TRUE(group.lblReason->text().contains(QStringLiteral("tesseract-ocr-fra")));
    std::ofstream(data / "deu.traineddata") << "data";
    options.ocrLanguages = "deu+eng";
    group.setOptions(options);
    EXPECT_TRUE(group.lblReason->text().contains(QStringLiteral("damaged")))
        << group.lblReason->text().toStdString();
}

} // namespace
} // namespace pw
