#include "outside/skin/skin_loader.h"

#include <QApplication>
#include <QColor>
#include <QDoubleSpinBox>
#include <QImage>
#include <QPalette>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "skin_tests";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

double luminance(const QColor& c) {
    auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void expectReadable(const QPalette& p) {
    EXPECT_GE(contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)), 4.5);
    EXPECT_GE(contrast(p.color(QPalette::Text), p.color(QPalette::Base)), 4.5);
    EXPECT_GE(contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)), 4.5);
    EXPECT_GE(contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)), 4.5);
    EXPECT_GE(contrast(p.color(QPalette::ToolTipText), p.color(QPalette::ToolTipBase)), 4.5);
}

class SkinLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        app().setStyleSheet(QStringLiteral("QLabel { margin: 1px; }"));
        standardPalette = QApplication::palette();
        standardSheet = app().styleSheet();
    }
    void TearDown() override {
        pw::skin::skin::setLibraryFolderForTests(PW_SKIN_DIR);
        pw::skin::skin::Detach();
        pw::skin::skin::setLibraryFolderForTests({});
    }
    void expectStandardLook() const {
        EXPECT_EQ(QApplication::palette(), standardPalette);
        EXPECT_EQ(app().styleSheet(), standardSheet);
    }
    QPalette standardPalette;
    QString standardSheet;
};

TEST_F(SkinLoaderTest, MissingLibraryOrEntryPointDoesNothing) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    pw::skin::skin::setLibraryFolderForTests(empty.path().toStdString());
    pw::skin::skin::Attach();
    pw::skin::skin::AdjustHSV(0, -90, 0);
    pw::skin::skin::Detach();
    EXPECT_FALSE(pw::skin::skin::libraryLoaded());
    expectStandardLook();

    // A library that offers only SkinH_Attach: that call reaches it, the others are skipped.
    unsetenv("PW_PARTIAL_SKIN_ATTACHES");
    pw::skin::skin::setLibraryFolderForTests(PW_PARTIAL_SKIN_DIR);
    pw::skin::skin::Attach();
    pw::skin::skin::AdjustHSV(0, -90, 0);
    pw::skin::skin::Detach();
    EXPECT_TRUE(pw::skin::skin::libraryLoaded());
    const char* attaches = std::getenv("PW_PARTIAL_SKIN_ATTACHES");
    ASSERT_NE(attaches, nullptr);
    EXPECT_STREQ(attaches, "1");
    expectStandardLook();
}

TEST_F(SkinLoaderTest, AttachRestylesAndDetachRestoresExactly) {
    pw::skin::skin::setLibraryFolderForTests(PW_SKIN_DIR);
    pw::skin::skin::Attach();
    ASSERT_TRUE(pw::skin::skin::libraryLoaded());
    const QPalette skinned = QApplication::palette();
    EXPECT_NE(skinned, standardPalette);
    EXPECT_NE(app().styleSheet(), standardSheet);
    EXPECT_TRUE(app().styleSheet().contains(QStringLiteral("QPushButton")));
    expectReadable(skinned);

    // The program attaches twice and detaches twice; both repeats change nothing.
    pw::skin::skin::Attach();
    EXPECT_EQ(QApplication::palette(), skinned);
    pw::skin::skin::Detach();
    expectStandardLook();
    pw::skin::skin::Detach();
    expectStandardLook();

    // And the skin can be put on again after that.
    pw::skin::skin::Attach();
    EXPECT_EQ(QApplication::palette(), skinned);
    pw::skin::skin::Detach();
    expectStandardLook();
}

// A style sheet that gives a spin box a frame of its own but leaves its buttons alone loses
// their arrows; whole-number and decimal spin boxes must look alike, arrows included.
TEST_F(SkinLoaderTest, SkinnedSpinBoxesKeepTheirArrows) {
    pw::skin::skin::setLibraryFolderForTests(PW_SKIN_DIR);
    pw::skin::skin::Attach();
    QSpinBox whole;
    whole.setRange(1, 999);
    whole.setValue(300);
    whole.setSuffix(QStringLiteral(" dpi"));
    QDoubleSpinBox decimal;
    decimal.setRange(1, 999);
    decimal.setDecimals(0);
    decimal.setValue(300);
    decimal.setSuffix(QStringLiteral(" dpi"));
    for (QAbstractSpinBox* box :
         {static_cast<QAbstractSpinBox*>(&whole), static_cast<QAbstractSpinBox*>(&decimal)}) {
        box->resize(120, 28);
        box->ensurePolished();
    }
    const QImage wholeLook = whole.grab().toImage();
    EXPECT_EQ(wholeLook, decimal.grab().toImage());
    // The arrows: marks on the base colour in the top and the bottom third of the buttons.
    const QColor base = QApplication::palette().color(QPalette::Base);
    const int third = wholeLook.height() / 3;
    for (const int top : {0, 2 * third}) {
        int marked = 0;
        for (int y = top; y < top + third; ++y)
            for (int x = wholeLook.width() - 13; x < wholeLook.width() - 4; ++x)
                marked += contrast(wholeLook.pixelColor(x, y), base) > 1.5 ? 1 : 0;
        EXPECT_GE(marked, 3) << "buttons' third from row " << top;
    }
    pw::skin::skin::Detach();
}

TEST_F(SkinLoaderTest, AdjustHsvShiftsColoursAndKeepsTextReadable) {
    pw::skin::skin::setLibraryFolderForTests(PW_SKIN_DIR);
    pw::skin::skin::AdjustHSV(0, 0, 0);
    pw::skin::skin::Attach();
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    ASSERT_GT(highlight.hslSaturation(), 100);

    // The window's own call: almost no colour left, still readable.
    pw::skin::skin::AdjustHSV(0, -90, 0);
    const QColor grey = QApplication::palette().color(QPalette::Highlight);
    EXPECT_LT(grey.hslSaturation(), highlight.hslSaturation() / 5);
    expectReadable(QApplication::palette());

    pw::skin::skin::AdjustHSV(120, 0, 0);
    const int turned = QApplication::palette().color(QPalette::Highlight).hslHue();
    const int expected = (highlight.hslHue() + 120) % 360;
    EXPECT_LE(std::abs(turned - expected), 2) << turned << " vs " << expected;

    for (int value : {-100, 100}) {
        pw::skin::skin::AdjustHSV(0, 0, value);
        SCOPED_TRACE(value);
        expectReadable(QApplication::palette());
    }

    pw::skin::skin::Detach();
    expectStandardLook();
    pw::skin::skin::AdjustHSV(0, 0, 0);
}

} // namespace
