#include "app/file_list.h"
#include "app/settings_file.h"
#include "form_fixture.h"
#include "gui/app_state.h"
#include "gui/archive_group.h"
#include "gui/page_group.h"
#include "gui/password_group.h"
#include "gui/picture_list_view.h"
#include "gui/quality_control.h"
#include "gui/resolution_group.h"
#include "gui/sheet_group.h"
#include "gui/tall_group.h"
#include "jobfiles/pdfa_level.h"
#include "platform/paths.h"
#include "reading_watch.h"
#include "test_pdfs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>

namespace pw::test {
namespace {

class Conversion : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        installBuilder();
    }
    QString picture(const QString& name, QColor colour) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir_.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(image.save(path));
        return path;
    }
    static QString run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    static void press(QWidget* widget) {
        sendMouse(widget, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
    }
};

TEST_F(Conversion, PicturesAddedAndConvertedFromTheFrontWindowBecomeOnePdf) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const std::vector<QUrl>& opened = openedUrls_;
    const QString output = dir_.path() + QStringLiteral("/out");
    engine.txtPath->setText(output);
    engine.txtTitle->setText(QStringLiteral("Holiday"));
    engine.txtCreateFor->setText(QStringLiteral("Zoë"));

    const QString red = picture(QStringLiteral("red.jpg"), Qt::red);
    const QString blue = picture(QStringLiteral("blue.png"), Qt::blue);
    prompts_.openNext(red.toStdString());
    press(front.imgToolbar[0]);
    prompts_.openNext(blue.toStdString());
    press(front.imgToolbar[0]);
    ASSERT_EQ(front.List2->count(), 2);
    EXPECT_TRUE(front.picText->isHidden());

    // Another program that happens to be called pdf.exe is none of the job's business.
    const QString elsewhere = dir_.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), elsewhere + QStringLiteral("/pdf.exe")));
    QProcess foreign;
    foreign.start(elsewhere + QStringLiteral("/pdf.exe"), {QStringLiteral("60")});
    ASSERT_TRUE(foreign.waitForStarted(5000));

    press(front.imgConvert);
    waitForJob();
    EXPECT_FALSE(foreign.waitForFinished(200)) << "a foreign pdf.exe was ended";
    foreign.kill();
    foreign.waitForFinished(5000);
    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    const QString pdf = output + QStringLiteral("/NewPDF.pdf");
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(run(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), pdf}).trimmed(),
              QStringLiteral("2"));
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("Holiday"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Zoë"))) << info.toStdString();

    // Finished: folder opened, everything unlocked, progress put away.
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front(), QUrl::fromLocalFile(output));
    EXPECT_TRUE(engine.Command3->isEnabled());
    EXPECT_TRUE(front.imgToolbar[0]->isEnabled());
    EXPECT_TRUE(front.List2->isEnabled());
    EXPECT_FALSE(front.lblFilename->isHidden());
    EXPECT_TRUE(front.PicPB->isHidden());
    EXPECT_EQ(front.lblPB->text(), QStringLiteral("Done."));
}

TEST_F(Conversion, SavedModeOnePdfPerPictureIsInForceAtOnceAndAfterARestart) {
    gui::frmPrinting& engine = startProgram();
    const QString output = dir_.path() + QStringLiteral("/each");
    engine.txtPath->setText(output);
    engine.cmbMode->setCurrentIndex(1);
    EXPECT_FALSE(gui::OnePdfPerPicture); // not before Save
    engine.show();
    engine.cmdSave->click();
    EXPECT_TRUE(gui::OnePdfPerPicture);
    EXPECT_FALSE(engine.isVisible());

    gui::frmMain& front = *engine.front();
    prompts_.openNext(picture(QStringLiteral("a.b.png"), Qt::green).toStdString());
    press(front.imgToolbar[0]);
    press(front.imgConvert);
    waitForJob();
    EXPECT_TRUE(QFile::exists(output + QStringLiteral("/a.b.pdf")));

    // The next start reads the saved folder and mode.
    endProgram();
    gui::OnePdfPerPicture = false;
    gui::frmPrinting& again = startProgram();
    EXPECT_EQ(again.txtPath->text(), output);
    EXPECT_EQ(again.cmbMode->currentIndex(), 1);
    EXPECT_TRUE(gui::OnePdfPerPicture);
    EXPECT_EQ(again.windowTitle(), QStringLiteral("Setting"));
    EXPECT_TRUE(again.txtCreationDate->text().startsWith(QStringLiteral("D:")));
}

TEST_F(Conversion, PageGroupLaysOutThePagesAndIsSavedForTheNextStart) {
    gui::frmPrinting& engine = startProgram();
    gui::PageGroup& page = *engine.grpPage;
    EXPECT_FALSE(page.cmbOrientation->isEnabled()); // pages as large as their pictures
    EXPECT_FALSE(page.cmbFit->isEnabled());
    const QString output = dir_.path() + QStringLiteral("/paper");
    engine.txtPath->setText(output);
    page.cmbPageSize->setCurrentIndex(static_cast<int>(jobfiles::PageSize::A4));
    EXPECT_TRUE(page.cmbOrientation->isEnabled());
    EXPECT_FALSE(page.spnPageWidth->isEnabled());
    page.spnMargin->setValue(12.5);
    page.cmbFit->setCurrentIndex(static_cast<int>(jobfiles::Fit::Fill));
    EXPECT_EQ(app_->settings().options.page.fit, jobfiles::Fit::Fill); // the core has it at once
    engine.Command1->click(); // a new date keeps the other unsaved edits

    // In force before Save: a wide picture on A4, turned to landscape.
    gui::frmMain& front = *engine.front();
    prompts_.openNext(picture(QStringLiteral("wide.png"), Qt::green).toStdString());
    press(front.imgToolbar[0]);
    press(front.imgConvert);
    waitForJob();
    const QString info = run(QStringLiteral("pdfinfo"), {output + QStringLiteral("/NewPDF.pdf")});
    EXPECT_TRUE(info.contains(QStringLiteral("841.89 x 595.276 pts (A4)"))) << info.toStdString();

    engine.show();
    engine.cmdSave->click();
    QFile saved(QString::fromStdString(app::settingsFilePath()));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(
        text.contains(QStringLiteral("\r\nPageSize=A4\r\nOrientation=auto\r\nMargin=12.5\r\n"
                                     "Fit=fill\r\n")))
        << text.toStdString();

    endProgram();
    gui::frmPrinting& again = startProgram();
    const jobfiles::PageLayout layout = again.grpPage->pageLayout();
    EXPECT_EQ(layout.size, jobfiles::PageSize::A4);
    EXPECT_EQ(layout.marginMm, 12.5);
    EXPECT_EQ(layout.fit, jobfiles::Fit::Fill);
    EXPECT_EQ(again.jobOptions().page.fit, jobfiles::Fit::Fill);
}

// The Password group encrypts the PDF and is never saved; Bookmarks titles each picture's entry
// by its name and is kept on Save, as are Keep colour (off while lossless) and Straighten.
TEST_F(Conversion, PasswordGroupEncryptsAndBookmarksAreSavedButNoPassword) {
    gui::frmPrinting& engine = startProgram();
    gui::PasswordGroup& password = *engine.grpPassword;
    EXPECT_EQ(password.txtOpenPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password.txtOwnerPassword->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(password.chkAllowPrint->isChecked());
    EXPECT_TRUE(password.chkAllowCopy->isChecked());
    const QString output = dir_.path() + QStringLiteral("/locked");
    engine.txtPath->setText(output);
    password.txtOpenPassword->setText(QStringLiteral("s3cret word"));
    EXPECT_TRUE(password.lblRandomOwner->isHidden());
    password.chkAllowPrint->setChecked(false);
    // No owner password: the restriction cannot be lifted, and the group says so.
    EXPECT_FALSE(password.lblRandomOwner->isHidden());
    engine.chkBookmarks->setChecked(true);
    engine.chkKeepColour->setChecked(true);
    engine.chkDeskew->setChecked(true);
    engine.qualityControl->chkLossless->setChecked(true);
    EXPECT_FALSE(engine.chkKeepColour->isEnabled());
    engine.qualityControl->chkLossless->setChecked(false);
    EXPECT_TRUE(engine.chkKeepColour->isEnabled());

    gui::frmMain& front = *engine.front();
    prompts_.openNext(picture(QStringLiteral("Zoë.png"), Qt::green).toStdString());
    press(front.imgToolbar[0]);
    press(front.imgConvert);
    waitForJob();
    const QString pdf = output + QStringLiteral("/NewPDF.pdf");
    const QString open = QStringLiteral("--password=s3cret word");
    EXPECT_EQ(run(QStringLiteral("qpdf"), {open, QStringLiteral("--show-npages"), pdf}),
              QStringLiteral("1\n"));
    EXPECT_EQ(run(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), pdf}), QString());
    const QString shown =
        run(QStringLiteral("qpdf"), {open, QStringLiteral("--show-encryption"), pdf});
    EXPECT_TRUE(shown.contains(QStringLiteral("R = 6"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("print high resolution: not allowed")));
    const QString outline =
        run(QStringLiteral("qpdf"),
            {open, QStringLiteral("--json"), QStringLiteral("--json-key=outlines"), pdf});
    EXPECT_TRUE(outline.contains(QStringLiteral("\"title\": \"Zoë\""))) << outline.toStdString();

    engine.show();
    engine.cmdSave->click();
    QFile saved(QString::fromStdString(app::settingsFilePath()));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nBookmarks=yes\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nKeepColour=yes\r\nDeskew=yes\r\n")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("s3cret")));

    endProgram();
    gui::frmPrinting& again = startProgram();
    EXPECT_TRUE(again.chkBookmarks->isChecked());
    EXPECT_TRUE(again.chkKeepColour->isChecked());
    EXPECT_TRUE(again.chkDeskew->isChecked());
    EXPECT_TRUE(again.grpPassword->txtOpenPassword->text().isEmpty());
    EXPECT_FALSE(app_->encryption().active());
}

// Convert asks for the password of each encrypted PDF of the list before the job: a wrong one
// says so and asks again, one given opens the other PDFs it fits, and Cancel leaves that PDF
// out, named with its reason at the end. No password reaches the settings file.
TEST_F(Conversion, EncryptedPdfsOfTheListAskForTheirPasswordsBeforeTheJob) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const QString output = dir_.path() + QStringLiteral("/out");
    engine.txtPath->setText(output);
    const std::string folder = dir_.path().toStdString() + "/";
    ASSERT_TRUE(writeTestPdf(folder + "letter.pdf",
                             {.pages = 2, .text = "Letter", .userPassword = "harbour"}));
    ASSERT_TRUE(writeTestPdf(folder + "memo.pdf", {.text = "Memo", .userPassword = "quay"}));
    ASSERT_TRUE(writeTestPdf(folder + "copy.pdf", {.text = "Copy", .userPassword = "harbour"}));
    for (const std::string& path :
         {picture(QStringLiteral("red.jpg"), Qt::red).toStdString(), folder + "letter.pdf",
          folder + "memo.pdf", folder + "copy.pdf"}) {
        prompts_.openNext(path);
        press(front.imgToolbar[0]);
    }
    prompts_.passwordNext("harbor");
    prompts_.passwordNext("harbour");
    prompts_.cancelNextPassword();
    press(front.imgConvert);
    waitForJob();

    ASSERT_EQ(prompts_.passwordTexts.size(), 3u);
    EXPECT_EQ(prompts_.passwordTexts[0], "\"letter.pdf\" is protected by a password. Enter it "
                                         "to convert its pages (Cancel leaves them out):");
    EXPECT_EQ(prompts_.passwordTexts[1], "The password of \"letter.pdf\" is wrong. Enter it "
                                         "again (Cancel leaves its pages out):");
    EXPECT_EQ(prompts_.passwordTexts[2].rfind("\"memo.pdf\" is protected", 0), 0u);
    const std::string pdf = output.toStdString() + "/NewPDF.pdf";
    EXPECT_EQ(
        run(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), QString::fromStdString(pdf)}),
        QStringLiteral("4\n"));
    EXPECT_EQ(pageContent(pdf, 3), pageContent(folder + "letter.pdf", 2, "harbour"));
    EXPECT_EQ(pageContent(pdf, 4), pageContent(folder + "copy.pdf", 1, "harbour"));
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].details, folder + "memo.pdf: needs a password");

    engine.show();
    engine.cmdSave->click();
    QFile saved(QString::fromStdString(app::settingsFilePath()));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_FALSE(saved.readAll().contains("harbo"));
}

// Archive (PDF/A) and the coding of black-and-white pages are in force at once and kept on
// Save; with a password the Convert is refused with a message.
TEST_F(Conversion, ArchiveChoiceIsSavedAndRefusedWithAPassword) {
    gui::frmPrinting& engine = startProgram();
    EXPECT_EQ(engine.grpArchive->cmbPdfa->currentText(), QStringLiteral("Off"));
    EXPECT_EQ(engine.grpArchive->cmbBilevel->currentText(), QStringLiteral("JBIG2"));
    engine.grpArchive->cmbBilevel->setCurrentIndex(1);
    EXPECT_EQ(app_->settings().options.bilevel, jobfiles::BilevelCoding::G4);
    const QString output = dir_.path() + QStringLiteral("/archive");
    engine.txtPath->setText(output);
    engine.grpArchive->cmbPdfa->setCurrentIndex(2);
    engine.grpPassword->txtOpenPassword->setText(QStringLiteral("s3cret"));
    gui::frmMain& front = *engine.front();
    prompts_.openNext(picture(QStringLiteral("a.png"), Qt::green).toStdString());
    press(front.imgToolbar[0]);
    press(front.imgConvert);
    EXPECT_TRUE(prompts_.shown(jobfiles::kPdfaWithPasswordRefusal));
    EXPECT_FALSE(QFile::exists(output + QStringLiteral("/NewPDF.pdf")));

    engine.grpPassword->txtOpenPassword->clear();
    QImage bilevel(64, 48, QImage::Format_Grayscale8); // black and white only
    bilevel.fill(255);
    for (int y = 8; y < 18; ++y)
        std::fill_n(bilevel.scanLine(y) + 8, 20, 0);
    const QString scan = dir_.path() + QStringLiteral("/scan.png");
    ASSERT_TRUE(bilevel.save(scan));
    prompts_.openNext(scan.toStdString());
    press(front.imgToolbar[0]);
    press(front.imgConvert);
    waitForJob();
    QFile pdf(output + QStringLiteral("/NewPDF.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-1.4"));
    EXPECT_TRUE(bytes.contains("<pdfaid:part>1</pdfaid:part>"));
    const QString list =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf.fileName()});
    EXPECT_TRUE(list.contains(QStringLiteral(" ccitt "))) << list.toStdString();

    engine.show();
    engine.cmdSave->click();
    endProgram();
    gui::frmPrinting& again = startProgram();
    EXPECT_EQ(again.grpArchive->level(), jobfiles::PdfaLevel::A1b);
    EXPECT_EQ(again.jobOptions().bilevel, jobfiles::BilevelCoding::G4);
    EXPECT_EQ(again.grpArchive->cmbBilevel->currentText(), QStringLiteral("Group 4"));
}

TEST_F(Conversion, QualityControlShowsItsCaptionsKeepsPicturesWhole) {
    gui::frmPrinting& engine = startProgram();
    gui::QualityControl& quality = *engine.qualityControl;
    EXPECT_EQ(engine.lblQuality->text(), QStringLiteral("100%"));
    EXPECT_EQ(engine.lblQtt->text(), QStringLiteral("Best"));
    quality.spnQuality->setValue(29);
    EXPECT_EQ(engine.lblQuality->text(), QStringLiteral("29%"));
    EXPECT_EQ(engine.lblQtt->text(), QStringLiteral("Low"));
    quality.chkLossless->setChecked(true);
    EXPECT_EQ(engine.lblQuality->text(), QStringLiteral("Lossless"));
    EXPECT_TRUE(app_->settings().options.lossless); // the core has it at once
    EXPECT_FALSE(quality.spnQuality->isEnabled());
    engine.Command1->click(); // a new date keeps the other unsaved edits
    EXPECT_TRUE(quality.chkLossless->isChecked());

    // In force before Save: the PNG's own data reaches the PDF.
    const QString output = dir_.path() + QStringLiteral("/whole");
    engine.txtPath->setText(output);
    gui::frmMain& front = *engine.front();
    prompts_.openNext(picture(QStringLiteral("flat.png"), Qt::blue).toStdString());
    press(front.imgToolbar[0]);
    press(front.imgConvert);
    waitForJob();
    const QString list =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), output + "/NewPDF.pdf"});
    EXPECT_TRUE(list.contains(QStringLiteral(" image  no "))) << list.toStdString(); // Flate
    EXPECT_FALSE(list.contains(QStringLiteral("jpeg"))) << list.toStdString();

    // The resolution ceiling: off by default, in force at once, kept by Save.
    EXPECT_FALSE(engine.grpResolution->spnMaxDpi->isEnabled());
    engine.grpResolution->chkMaxDpi->setChecked(true);
    engine.grpResolution->spnMaxDpi->setValue(200);
    EXPECT_EQ(app_->settings().options.maxDpi, 200);
    engine.grpTall->chkSplitTall->setChecked(true); // and the split of tall pictures
    engine.grpTall->spnOverlap->setValue(4.5);
    EXPECT_TRUE(app_->settings().options.page.splitTall);

    engine.show();
    engine.cmdSave->click();
    endProgram();
    gui::frmPrinting& again = startProgram();
    EXPECT_TRUE(again.jobOptions().lossless);
    EXPECT_EQ(again.lblQuality->text(), QStringLiteral("Lossless"));
    EXPECT_EQ(again.jobOptions().maxDpi, 200);
    EXPECT_TRUE(again.grpResolution->spnMaxDpi->isEnabled());
    EXPECT_TRUE(again.jobOptions().page.splitTall);
    EXPECT_EQ(again.jobOptions().page.overlapMm, 4.5);
}

// Pictures per sheet: only on paper, never together with splitting tall pictures, kept by Save.
TEST_F(Conversion, PicturesPerSheetNeedPaperAndRuleOutSplitting) {
    gui::frmPrinting& engine = startProgram();
    gui::SheetGroup& sheet = *engine.grpSheet;
    EXPECT_FALSE(sheet.cmbPerSheet->isEnabled());
    engine.grpTall->chkSplitTall->setChecked(true);
    engine.grpPage->cmbPageSize->setCurrentIndex(static_cast<int>(jobfiles::PageSize::A4));
    ASSERT_TRUE(sheet.cmbPerSheet->isEnabled());
    EXPECT_FALSE(sheet.spnGap->isEnabled());
    sheet.cmbPerSheet->setCurrentIndex(sheet.cmbPerSheet->findText(QStringLiteral("4 (2x2)")));
    EXPECT_FALSE(engine.grpTall->isEnabled());
    ASSERT_TRUE(sheet.spnGap->isEnabled());
    sheet.spnGap->setValue(3);
    const jobfiles::PageLayout edited = app_->settings().options.page;
    EXPECT_EQ(std::pair(edited.sheetColumns, edited.sheetRows), std::pair(2, 2));
    EXPECT_FALSE(edited.splitTall);

    engine.show();
    engine.cmdSave->click();
    endProgram();
    gui::frmPrinting& again = startProgram();
    EXPECT_EQ(again.grpSheet->cmbPerSheet->currentText(), QStringLiteral("4 (2x2)"));
    EXPECT_EQ(again.grpSheet->spnGap->value(), 3.0);
    EXPECT_FALSE(again.grpTall->isEnabled());
}

// While a job runs the window answers, and its Convert picture stops the job: no PDF, the
// staged files gone, the controls back, the list as it was.
TEST_F(Conversion, TheConvertPictureStopsARunningJob) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const std::vector<QUrl>& opened = openedUrls_;
    const QString output = dir_.path() + QStringLiteral("/out");
    engine.txtPath->setText(output);
    QFile builder(dir_.path() + QStringLiteral("/app/data/pdf.exe"));
    ASSERT_TRUE(builder.open(QIODevice::WriteOnly | QIODevice::Truncate));
    builder.write("#!/bin/sh\nsleep 60\n");
    builder.close();
    for (const QString& name : {QStringLiteral("a.png"), QStringLiteral("b.png")}) {
        prompts_.openNext(picture(name, Qt::red).toStdString());
        press(front.imgToolbar[0]);
    }

    press(front.imgConvert);
    QTimer guard;
    guard.start(30000);
    while (front.lblPB->text() != QStringLiteral("Now Start Creating...") && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_TRUE(app_->jobRunning());
    EXPECT_FALSE(front.List2->isEnabled());
    EXPECT_TRUE(front.imgConvert->isEnabled());
    EXPECT_TRUE(front.imgConvert->lit()); // it shows Stop
    QAction* add = engine.menuFile->findChild<QAction*>(QStringLiteral("menuAdd"));
    EXPECT_FALSE(add->isEnabled());
    engine.txtMsg->setText(QStringLiteral("Convert")); // the relay word starts no second job
    press(front.imgConvert);
    waitForJob();

    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    EXPECT_TRUE(QDir(output).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QDir(QString::fromStdString(platform::stagingFolder())).exists());
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(engine.Command3->isEnabled());
    EXPECT_TRUE(front.List2->isEnabled());
    EXPECT_EQ(front.List2->count(), 2);
    EXPECT_EQ(front.lblPB->text(), QStringLiteral("Stopped"));
    EXPECT_FALSE(front.lblPB->isHidden());
    EXPECT_FALSE(front.imgConvert->lit()) << "Convert still shows Stop";
    EXPECT_TRUE(add->isEnabled());
}

// The Stop picture, clicked where it shows, and Esc each end a job within a second while a large
// picture is being decoded, leaving nothing behind.
TEST_F(Conversion, StopPictureAndEscEndAJobWithinASecondMidDecode) {
    using Clock = std::chrono::steady_clock;
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const QString output = dir_.path() + QStringLiteral("/out");
    engine.txtPath->setText(output);
    const std::string large = (dir_.path() + QStringLiteral("/large.tif")).toStdString();
    ASSERT_TRUE(WriteLargeTiff(large, 6000, 6000)); // seconds to decode here
    front.fileList().append(large, large);
    QApplication::setActiveWindow(&front);
    const auto clickStop = [&front] {
        // Through the window, which finds the widget under the pointer, as a real click does.
        const QPointF at(front.imgConvert->geometry().center());
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, front.mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(front.windowHandle(), &event);
        }
    };
    const auto escape = [&front] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&front, &key);
    };
    for (const auto& stop : {std::function<void()>(clickStop), std::function<void()>(escape)}) {
        press(front.imgConvert);
        ASSERT_TRUE(app_->jobRunning());
        const Clock::time_point given = Clock::now() + std::chrono::seconds(60);
        Clock::time_point since{};
        while (Clock::now() < given && (since == Clock::time_point{} ||
                                        Clock::now() - since < std::chrono::milliseconds(50))) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            if (!ReadingPartWay(large))
                since = {};
            else if (since == Clock::time_point{})
                since = Clock::now();
        }
        ASSERT_TRUE(ReadingPartWay(large)) << "the picture was not seen being decoded";
        const Clock::time_point stopped = Clock::now();
        stop();
        while (app_->jobRunning() && Clock::now() - stopped < std::chrono::seconds(30))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const auto took = Clock::now() - stopped;
        EXPECT_LT(took, std::chrono::seconds(1))
            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
        EXPECT_EQ(front.lblPB->text(), QStringLiteral("Stopped"));
        EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
        EXPECT_TRUE(QDir(output).entryList(QDir::Files).isEmpty());
        EXPECT_FALSE(QDir(QString::fromStdString(platform::stagingFolder())).exists());
        EXPECT_TRUE(ChildProcesses().empty());
    }
}

// Esc, pressed in the front window during a job, stops it as the Stop picture does; the
// list cannot be changed or undone meanwhile.
TEST_F(Conversion, EscStopsARunningJob) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    QFile builder(dir_.path() + QStringLiteral("/app/data/pdf.exe"));
    ASSERT_TRUE(builder.open(QIODevice::WriteOnly | QIODevice::Truncate));
    builder.write("#!/bin/sh\nexec sleep 60\n");
    builder.close();
    engine.txtPath->setText(dir_.path() + QStringLiteral("/out"));
    for (const QString& name : {QStringLiteral("a.png"), QStringLiteral("b.png")}) {
        prompts_.openNext(picture(name, Qt::red).toStdString());
        press(front.imgToolbar[0]);
    }
    QAction* undo = engine.menuContrl->findChild<QAction*>(QStringLiteral("menuUndo"));
    ASSERT_TRUE(undo->isEnabled());

    QApplication::setActiveWindow(&front);
    press(front.imgConvert);
    QTimer guard;
    guard.start(30000);
    while (front.lblPB->text() != QStringLiteral("Now Start Creating...") && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_TRUE(app_->jobRunning());
    EXPECT_FALSE(undo->isEnabled());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&front, &esc);
    waitForJob();

    EXPECT_EQ(front.lblPB->text(), QStringLiteral("Stopped"));
    EXPECT_TRUE(QDir(dir_.path() + QStringLiteral("/out")).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(front.List2->count(), 2);
    EXPECT_TRUE(undo->isEnabled());
}

// The end message lists the pictures left out; why each was is behind "Show Details...".
TEST_F(Conversion, PicturesLeftOutAreListedWithTheirReasonsInTheDetails) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    engine.txtPath->setText(dir_.path() + QStringLiteral("/out"));
    const QString noise = dir_.path() + QStringLiteral("/noise.png");
    const QString cut = dir_.path() + QStringLiteral("/cut.jpg");
    QFile noiseFile(noise);
    ASSERT_TRUE(noiseFile.open(QIODevice::WriteOnly));
    noiseFile.write(QByteArray(500, '\x5A'));
    noiseFile.close();
    QFile jpeg(picture(QStringLiteral("whole.jpg"), Qt::red));
    ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly));
    const QByteArray bytes = jpeg.readAll();
    QFile cutFile(cut); // ends before its scan
    ASSERT_TRUE(cutFile.open(QIODevice::WriteOnly));
    cutFile.write(bytes.left(bytes.indexOf(QByteArray("\xFF\xDA", 2))));
    cutFile.close();
    for (const QString& path : {jpeg.fileName(), noise, cut}) {
        prompts_.openNext(path.toStdString());
        press(front.imgToolbar[0]);
    }
    press(front.imgConvert);
    waitForJob();

    ASSERT_EQ(prompts_.messages.size(), 1u);
    const MessageBoxCall& message = prompts_.messages[0];
    EXPECT_EQ(message.title, "Missing Pictures");
    EXPECT_EQ(message.text, "These pictures could not be converted and are missing from the "
                            "result:\n" +
                                noise.toStdString() + "\n" + cut.toStdString());
    EXPECT_EQ(message.details, noise.toStdString() + ": not a picture (unknown format)\n" +
                                   cut.toStdString() + ": damaged (JPEG data ends early)");
}

// The end of a job speaks one message at a time, in the order things happened: the pictures
// left out, then the folder that no file manager could open.
TEST_F(Conversion, EndMessagesComeOneAtATimeInTheOrderThingsHappened) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    const QString output = dir_.path() + QStringLiteral("/out");
    engine.txtPath->setText(output);
    engine.urlOpener = [](const QUrl&) { return false; };
    const QString noise = dir_.path() + QStringLiteral("/noise.png");
    QFile noiseFile(noise);
    ASSERT_TRUE(noiseFile.open(QIODevice::WriteOnly));
    noiseFile.write(QByteArray(500, '\x5A'));
    noiseFile.close();
    for (const QString& path : {picture(QStringLiteral("a.png"), Qt::red), noise}) {
        prompts_.openNext(path.toStdString());
        press(front.imgToolbar[0]);
    }
    // Each box runs the event loop while it is up, as a modal box does.
    int open = 0;
    int most = 0;
    prompts_.onMessageBox = [&](const MessageBoxCall&) {
        most = std::max(most, ++open);
        QElapsedTimer up;
        up.start();
        while (up.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        --open;
    };
    press(front.imgConvert);
    waitForJob();
    prompts_.onMessageBox = nullptr;

    EXPECT_EQ(prompts_.messageTexts(),
              (std::vector<std::string>{
                  "This picture could not be converted and is missing from the result:\n" +
                      noise.toStdString(),
                  "The folder could not be opened.\r\nThe PDFs are in " + output.toStdString()}));
    EXPECT_EQ(most, 1);
}

} // namespace
} // namespace pw::test
