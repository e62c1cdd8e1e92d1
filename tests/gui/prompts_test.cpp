#include "form_fixture.h"
#include "gui/qt_prompts.h"

#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

namespace pw::test {
namespace {

class Prompts : public FormTest {
protected:
    void TearDown() override {
        restore("HOME", home_);
        restore("XDG_CONFIG_HOME", config_);
        FormTest::TearDown();
    }
    // Points HOME (and the user-dirs file's folder) at a fresh folder of the test.
    QString fakeHome() {
        const QString home = dir_.path() + QStringLiteral("/home");
        QDir().mkpath(home);
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
        return home;
    }

private:
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray home_ = qgetenv("HOME");
    QByteArray config_ = qgetenv("XDG_CONFIG_HOME");
};

TEST_F(Prompts, OpenOverTheShownWindowNeverTheHiddenEngineForm) {
    gui::frmPrinting& engine = startProgram();
    gui::frmMain& front = *engine.front();
    gui::QtPrompts prompts(&engine);
    EXPECT_EQ(prompts.owner(), &front);

    // A message box opens centred over the front window, wherever it stands.
    front.move(10, 10);
    QWidget* boxParent = nullptr;
    QPoint boxCentre;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        poll.stop();
        boxParent = box->parentWidget();
        boxCentre = box->geometry().center();
        box->done(QMessageBox::Ok);
    });
    poll.start(5);
    EXPECT_EQ(prompts.messageBox("Please add a file", "Pagewright", platform::Buttons::Ok,
                                 platform::Icon::Information),
              platform::Answer::Ok);
    EXPECT_EQ(boxParent, &front);
    EXPECT_NEAR(boxCentre.x(), front.geometry().center().x(), 2);
    EXPECT_NEAR(boxCentre.y(), front.geometry().center().y(), 2);

    // While the "Setting" window is shown, prompts open over it.
    QWidget* ownerWhileShown = nullptr;
    whenShown(engine, [&] {
        ownerWhileShown = prompts.owner();
        engine.close();
    });
    sendMouse(front.imgToolbar[3], QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton,
              Qt::LeftButton);
    EXPECT_EQ(ownerWhileShown, &engine);
    EXPECT_EQ(prompts.owner(), &front);

    // Nothing shown: centred on the screen.
    front.hide();
    EXPECT_EQ(prompts.owner(), nullptr);
}

TEST_F(Prompts, AMessageOffersItsDetailsBehindShowDetails) {
    startProgram();
    gui::QtPrompts prompts;
    QString shown;
    QString details;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        poll.stop();
        shown = box->text();
        details = box->detailedText();
        box->done(QMessageBox::Ok);
    });
    poll.start(5);
    prompts.messageBox("Some pictures are missing:\n/p/a.png", "Missing Pictures",
                       platform::Buttons::Ok, platform::Icon::Exclamation,
                       "/p/a.png: not a picture (unknown format)");
    EXPECT_EQ(shown.toStdString(), "Some pictures are missing:\n/p/a.png");
    EXPECT_EQ(details.toStdString(), "/p/a.png: not a picture (unknown format)");
}

// The password box hides what is typed; OK gives the text, Cancel nothing.
TEST_F(Prompts, ThePasswordBoxHidesTheTextAndOkGivesIt) {
    startProgram();
    gui::QtPrompts prompts;
    QString label;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    bool accept = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        label = box->labelText();
        echo = box->textEchoMode();
        box->setTextValue(QStringLiteral("s3cret"));
        accept ? box->accept() : box->reject();
    });
    poll.start(5);
    std::string password;
    EXPECT_TRUE(prompts.askPassword("\"a.pdf\" is protected", "Password", password));
    EXPECT_EQ(password, "s3cret");
    EXPECT_EQ(label.toStdString(), "\"a.pdf\" is protected");
    EXPECT_EQ(echo, QLineEdit::Password);
    accept = false;
    password.clear();
    EXPECT_FALSE(prompts.askPassword("\"a.pdf\" is protected", "Password", password));
    EXPECT_TRUE(password.empty());
}

TEST_F(Prompts, OpenDialogStartsInPicturesOrHomeNeverTheWorkingFolder) {
    const QString home = fakeHome();
    gui::QtPrompts prompts;
    platform::FileDialogRequest request;
    EXPECT_EQ(QDir(prompts.startFolder(request)), QDir(home));
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("Pictures")));
    EXPECT_EQ(QDir(prompts.startFolder(request)), QDir(home + QStringLiteral("/Pictures")));

    // A given folder, or the folder of a given file, wins; a folder that is gone does not.
    const QString shots = dir_.path() + QStringLiteral("/shots");
    ASSERT_TRUE(QDir().mkpath(shots));
    request.fileName = (shots + QStringLiteral("/a.jpg")).toStdString();
    EXPECT_EQ(QDir(prompts.startFolder(request)), QDir(shots));
    request.initialDir = dir_.path().toStdString();
    EXPECT_EQ(QDir(prompts.startFolder(request)), QDir(dir_.path()));
    request.initialDir = (dir_.path() + QStringLiteral("/gone")).toStdString();
    request.fileName = "a.jpg";
    EXPECT_EQ(QDir(prompts.startFolder(request)), QDir(home + QStringLiteral("/Pictures")));
}

} // namespace
} // namespace pw::test
