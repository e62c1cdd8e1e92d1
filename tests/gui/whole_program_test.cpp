// The program as a user meets it: the real windows, the real PDF builder and FreeImage. Pictures
// of three formats are added through the toolbar, arranged with the arrows and converted from
// the front window, in both modes; a second Convert while the job runs must not start.
#include "app/file_list.h"
#include "form_fixture.h"
#include "gui/picture_list_view.h"
#include "pictures/bitmap.h"

#include <FreeImage.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <string>
#include <vector>

namespace pw::test {
namespace {

struct Picture {
    QString path;
    QColor colour;
    QSize size; // pixels; the page keeps its proportions
};

using Texts = std::vector<std::string>;

Texts texts(const QStringList& list) {
    Texts out;
    for (const QString& text : list)
        out.push_back(text.toStdString());
    return out;
}

// Qt here reads no TIFF, so FreeImage writes it.
bool saveTiff(const QString& path, QColor colour, QSize size) {
    const pw::pictures::Bitmap owned(FreeImage_Allocate(size.width(), size.height(), 24));
    FIBITMAP* bitmap = owned.get();
    if (bitmap == nullptr)
        return false;
    RGBQUAD fill{};
    fill.rgbRed = static_cast<BYTE>(colour.red());
    fill.rgbGreen = static_cast<BYTE>(colour.green());
    fill.rgbBlue = static_cast<BYTE>(colour.blue());
    for (unsigned y = 0; y < static_cast<unsigned>(size.height()); ++y) {
        for (unsigned x = 0; x < static_cast<unsigned>(size.width()); ++x)
            FreeImage_SetPixelColor(bitmap, x, y, &fill);
    }
    return FreeImage_Save(FIF_TIFF, bitmap, path.toUtf8().constData(), 0) == TRUE;
}

struct Page {
    QSizeF points;
    QColor centre;
};

class WholeProgram : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        installBuilder();
    }

    // Starts the program with every outside effect recorded.
    gui::frmMain& start() {
        gui::frmPrinting& engine = startProgram();
        engine.urlOpener = [this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        };
        engine.beeper = [this] { ++beeps_; };
        gui::frmMain& front = *engine.front();
        QObject::connect(&front, &gui::frmMain::progressTextChanged, &front,
                         [this](const QString& text) { onProgressText(text); });
        return front;
    }

    Picture picture(const QString& name, QColor colour, QSize size) {
        const QString path = dir_.path() + QStringLiteral("/pictures/") + name;
        EXPECT_TRUE(QDir().mkpath(dir_.path() + QStringLiteral("/pictures")));
        if (path.endsWith(QStringLiteral(".tif"))) {
            EXPECT_TRUE(saveTiff(path, colour, size)) << path.toStdString();
        } else {
            QImage image(size, QImage::Format_RGB32);
            image.fill(colour);
            EXPECT_TRUE(image.save(path)) << path.toStdString();
        }
        return {path, colour, size};
    }

    // A red JPEG (wide), a green PNG (tall) and a blue TIFF (square), added in that order
    // with the toolbar's Add and the open dialog, then arranged green, blue, red with the
    // arrows and their labels.
    std::vector<Picture> addAndArrange(gui::frmMain& front) {
        const Picture red = picture(QStringLiteral("red.jpg"), Qt::red, {160, 80});
        const Picture green = picture(QStringLiteral("green.png"), Qt::green, {60, 120});
        const Picture blue = picture(QStringLiteral("blue.tif"), Qt::blue, {100, 100});
        for (const Picture& p : {red, green, blue}) {
            prompts_.openNext(p.path.toStdString());
            press(front.imgToolbar[0]);
        }
        EXPECT_EQ(rows(front.List2), texts({red.path, green.path, blue.path}));

        clickRow(front, 2);
        press(front.imgUp); // red, blue, green
        press(front.lblUp); // blue, red, green
        clickRow(front, 1);
        press(front.lblDown); // blue, green, red
        clickRow(front, 0);
        press(front.imgDown); // green, blue, red
        const std::vector<Picture> arranged{green, blue, red};
        const Texts paths = texts({green.path, blue.path, red.path});
        EXPECT_EQ(rows(front.List1), paths);
        EXPECT_EQ(rows(front.List2), paths);
        return arranged;
    }

    static void press(QWidget* widget) {
        const QPoint at = widget->rect().center();
        sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    // A click on a row of the visible list, as the user selects an entry.
    static void clickRow(gui::frmMain& front, int row) {
        gui::PictureListView* list = front.List2;
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        sendMouse(list->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        sendMouse(list->viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        ASSERT_EQ(front.fileList().selected(), row);
    }

    static Texts rows(const gui::PictureListView* list) {
        Texts shown;
        for (int i = 0; i < list->count(); ++i)
            shown.push_back(list->text(i).toStdString());
        return shown;
    }

    // Opens the Setting window from the toolbar, picks the per-picture mode and an output
    // folder as the user types it, and saves.
    void savePerPictureMode(gui::frmMain& front, const QString& output) {
        gui::frmPrinting& engine = *engine_;
        whenShown(engine, [&engine, output] {
            engine.txtPath->setText(output);
            engine.cmbMode->setCurrentIndex(1);
            engine.cmdSave->click();
        });
        press(front.imgToolbar[3]);
        EXPECT_FALSE(engine.isVisible());
    }

    // --- a second Convert while the job runs --------------------------------------------

    // Attempts at a second start are made synchronously when one of syncTriggers is shown
    // and from the message loop (the job's next yield) after one of deferredTriggers; each
    // trigger fires once, so a job that does start again cannot recurse without end.
    void probeSecondStart(QStringList syncTriggers, QStringList deferredTriggers) {
        syncTriggers_ = std::move(syncTriggers);
        deferredTriggers_ = std::move(deferredTriggers);
    }

    void onProgressText(const QString& text) {
        texts_ << text;
        if (syncTriggers_.removeOne(text))
            tryToStartAgain(text);
        if (deferredTriggers_.removeOne(text)) {
            QTimer::singleShot(0, engine_->front(), [this, text] {
                tryToStartAgain(text + QStringLiteral(" (yield)"));
            });
        }
    }

    // Everything a user (or the front window) could do to convert again.
    void tryToStartAgain(const QString& when) {
        SCOPED_TRACE(when.toStdString());
        gui::frmPrinting& engine = *engine_;
        gui::frmMain& front = *engine.front();
        const bool running = !front.PicPB->isHidden() && texts_.last() != QStringLiteral("Done.");
        EXPECT_TRUE(running) << "the job had already ended";
        if (!running)
            return;
        ++attemptsWhileRunning_;

        // The locked set at this moment.
        EXPECT_FALSE(engine.Command3->isEnabled());
        for (const QPushButton* button : engine.CmdToolsBar)
            EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
        EXPECT_TRUE(front.imgConvert->isEnabled()); // it stops the job now
        for (const QWidget* widget :
             {static_cast<QWidget*>(front.imgToolbar[0]),
              static_cast<QWidget*>(front.imgToolbar[3]), static_cast<QWidget*>(front.imgMenu[0]),
              static_cast<QWidget*>(front.imgUp), static_cast<QWidget*>(front.lblDown),
              static_cast<QWidget*>(front.List2)})
            EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();

        const std::size_t openDialogs = prompts_.openRequests.size();
        const Texts order = rows(front.List1);
        press(front.imgToolbar[0]); // Add
        press(front.imgToolbar[2]); // Add Folder
        press(front.imgDown);
        press(engine.Command3);
        engine.Command3->click();
        // The word the relay carries for Convert.
        engine.txtMsg->setText(QStringLiteral("Convert"));

        EXPECT_EQ(texts_.count(QStringLiteral("Preparing Files...")), 1) << "a second job ran";
        EXPECT_EQ(prompts_.openRequests.size(), openDialogs);
        EXPECT_TRUE(prompts_.browsePrompts.empty());
        EXPECT_EQ(rows(front.List1), order);
    }

    // --- the results --------------------------------------------------------------------

    static QByteArray run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
        return process.readAllStandardOutput();
    }

    static std::vector<Page> pages(const QString& pdf) {
        std::vector<Page> found;
        const QString info = QString::fromUtf8(
            run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("99"), pdf}));
        static const QRegularExpression pageSize(
            QStringLiteral(R"(Page\s+(\d+) size:\s+([\d.]+) x ([\d.]+) pts)"));
        for (auto match = pageSize.globalMatch(info); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            const QString number = m.captured(1);
            const QImage rendered = QImage::fromData(
                run(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("10"), QStringLiteral("-f"), number,
                     QStringLiteral("-l"), number, QStringLiteral("-png"), pdf}));
            EXPECT_FALSE(rendered.isNull()) << "page " << number.toStdString();
            const QColor centre = rendered.isNull() ? QColor()
                                                    : rendered.pixelColor(rendered.width() / 2,
                                                                          rendered.height() / 2);
            found.push_back({{m.captured(2).toDouble(), m.captured(3).toDouble()}, centre});
        }
        return found;
    }

    static void expectPageShows(const Page& page, const Picture& picture) {
        SCOPED_TRACE(picture.path.toStdString());
        ASSERT_GT(page.points.height(), 0);
        const double pageRatio = page.points.width() / page.points.height();
        const double pictureRatio =
            static_cast<double>(picture.size.width()) / picture.size.height();
        EXPECT_NEAR(pageRatio, pictureRatio, 0.02);
        EXPECT_NEAR(page.centre.red(), picture.colour.red(), 40);
        EXPECT_NEAR(page.centre.green(), picture.colour.green(), 40);
        EXPECT_NEAR(page.centre.blue(), picture.colour.blue(), 40);
    }

    static Texts pdfsIn(const QString& folder) {
        return texts(QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name));
    }

    // The texts shown, with the builder's "Creating PDF..." reports taken out; those must
    // all lie between "Now Start Creating..." and "Moving File(s)...".
    Texts fixedTexts() const {
        Texts fixed;
        bool creating = false;
        for (const QString& text : texts_) {
            if (text.startsWith(QStringLiteral("Creating PDF..."))) {
                EXPECT_TRUE(creating) << text.toStdString() << " outside the building phase";
                continue;
            }
            if (text == QStringLiteral("Now Start Creating..."))
                creating = true;
            if (text.startsWith(QStringLiteral("Moving File(s)...")))
                creating = false;
            fixed.push_back(text.toStdString());
        }
        return fixed;
    }

    std::vector<QUrl> opened_;
    int beeps_ = 0;
    QStringList texts_;
    QStringList syncTriggers_;
    QStringList deferredTriggers_;
    int attemptsWhileRunning_ = 0;
};

TEST_F(WholeProgram, ArrangedPicturesBecomeOnePdfInThatOrderAndASecondConvertWaits) {
    gui::frmMain& front = start();
    const QString output = dir_.path() + QStringLiteral("/out");
    engine_->txtPath->setText(output);
    const std::vector<Picture> arranged = addAndArrange(front);

    probeSecondStart(
        {QStringLiteral("Converting Files...50%")},
        {QStringLiteral("Preparing Files..."), QStringLiteral("Now Start Creating...")});
    press(front.imgConvert);
    waitForJob();

    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    EXPECT_EQ(attemptsWhileRunning_, 3);
    EXPECT_EQ(fixedTexts(),
              (Texts{"Preparing Files...", "Converting Files...0%", "Converting Files...50%",
                     "Converting Files...100%", "Now Start Creating...", "Moving File(s)...100%",
                     "Removing Temporary Files...", "Done."}));
    ASSERT_EQ(pdfsIn(output), Texts{"NewPDF.pdf"});
    const std::vector<Page> result = pages(output + QStringLiteral("/NewPDF.pdf"));
    ASSERT_EQ(result.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        expectPageShows(result[i], arranged[i]);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_.front(), QUrl::fromLocalFile(output));
    EXPECT_EQ(beeps_, 1);
    // Afterwards the user may convert again.
    EXPECT_TRUE(engine_->Command3->isEnabled());
    EXPECT_TRUE(front.imgConvert->isEnabled());
    EXPECT_EQ(engine_->txtMsg->text(), QString());
}

TEST_F(WholeProgram, SavedPerPictureModeGivesEachPictureItsOwnPdfWithoutARestart) {
    gui::frmMain& front = start();
    const std::vector<Picture> arranged = addAndArrange(front);
    const QString output = dir_.path() + QStringLiteral("/each");
    savePerPictureMode(front, output);

    probeSecondStart({QStringLiteral("Converting Files...50%")},
                     {QStringLiteral("Preparing Files...")});
    press(front.imgConvert);
    waitForJob();

    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    EXPECT_EQ(attemptsWhileRunning_, 2);
    EXPECT_EQ(texts(texts_),
              (Texts{"Preparing Files...", "Converting Files...0%", "Converting Files...50%",
                     "Converting Files...100%", "Removing Temporary Files...", "Done."}));
    EXPECT_EQ(pdfsIn(output), (Texts{"blue.pdf", "green.pdf", "red.pdf"}));
    for (const Picture& p : arranged) {
        const QString pdf =
            output + QLatin1Char('/') + QFileInfo(p.path).completeBaseName() + ".pdf";
        const std::vector<Page> result = pages(pdf);
        ASSERT_EQ(result.size(), 1u) << pdf.toStdString();
        expectPageShows(result.front(), p);
    }
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_.front(), QUrl::fromLocalFile(output));
    EXPECT_EQ(beeps_, 1);
}

} // namespace
} // namespace pw::test
