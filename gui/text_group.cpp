#include "gui/text_group.h"

#include "ocr/ocr_languages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace pw::gui {
namespace {

constexpr const char* kDefaultLanguage = "eng";

} // namespace

TextGroup::TextGroup(QWidget* parent) : QGroupBox(QStringLiteral("Searchable text"), parent) {
    setObjectName(QStringLiteral("grpText"));
    auto* grid = new QGridLayout(this);
    chkOcr = new QCheckBox(QStringLiteral("Searchable text (OCR)"), this);
    chkOcr->setObjectName(QStringLiteral("chkOcr"));
    chkOcr->setToolTip(QStringLiteral("Read the pictures' text and lay it invisibly over the "
                                      "pages, so the PDF can be searched and its text copied"));
    cmbLanguage = new QComboBox(this);
    cmbLanguage->setObjectName(QStringLiteral("cmbLanguage"));
    cmbLanguage->setEditable(true);
    cmbLanguage->setToolTip(QStringLiteral("The text's language; several joined by +, e.g. "
                                           "deu+eng"));
    for (const std::string& language : ocr::installedOcrLanguages())
        cmbLanguage->addItem(QString::fromStdString(language));
    const int english = cmbLanguage->findText(QString::fromUtf8(kDefaultLanguage));
    if (english >= 0)
        cmbLanguage->setCurrentIndex(english);
    chkAutoRotate = new QCheckBox(QStringLiteral("Turn pages upright by their text"), this);
    chkAutoRotate->setObjectName(QStringLiteral("chkAutoRotate"));
    chkAutoRotate->setToolTip(QStringLiteral("Pages whose text is sideways or upside down are "
                                             "turned, when its direction is clear"));
    lblReason = new QLabel(this);
    lblReason->setObjectName(QStringLiteral("lblTextReason"));
    lblReason->setWordWrap(true);
    grid->addWidget(chkOcr, 0, 0);
    grid->addWidget(cmbLanguage, 0, 1);
    grid->addWidget(chkAutoRotate, 0, 2);
    grid->addWidget(lblReason, 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    if (cmbLanguage->count() == 0) {
        chkOcr->setEnabled(false);
        cmbLanguage->setEnabled(false);
    }
    chkAutoRotate->setEnabled(ocr::orientationDataInstalled());
    connect(chkOcr, &QCheckBox::toggled, this, [this] {
        showReason();
        emit changed();
    });
    connect(chkAutoRotate, &QCheckBox::toggled, this, &TextGroup::changed);
    connect(cmbLanguage, &QComboBox::currentTextChanged, this, [this] {
        showReason();
        emit changed();
    });
    showReason();
}

void TextGroup::setOptions(const jobfiles::JobOptions& options) {
    const bool reading = !options.ocrLanguages.empty() && chkOcr->isEnabled();
    if (reading)
        cmbLanguage->setCurrentText(QString::fromStdString(options.ocrLanguages));
    chkOcr->setChecked(reading);
    chkAutoRotate->setChecked(options.autoRotate && chkAutoRotate->isEnabled());
    showReason();
}

void TextGroup::applyTo(jobfiles::JobOptions& options) const {
    options.ocrLanguages =
        chkOcr->isChecked() ? cmbLanguage->currentText().trimmed().toStdString() : std::string();
    options.autoRotate = chkAutoRotate->isChecked();
}

void TextGroup::showReason() {
    QStringList reasons;
    if (!chkOcr->isEnabled())
        reasons << QStringLiteral("Searchable text is not available: no text recognition "
                                  "language data is installed (package tesseract-ocr-eng).");
    else if (chkOcr->isChecked()) {
        const std::string problem =
            ocr::ocrLanguageProblem(cmbLanguage->currentText().trimmed().toStdString());
        if (!problem.empty())
            reasons
                << QStringLiteral("No text can be read: %1.").arg(QString::fromStdString(problem));
    }
    if (!chkAutoRotate->isEnabled())
        reasons << QStringLiteral("Pages cannot be turned upright: %1.")
                       .arg(QString::fromStdString(ocr::orientationDataProblem()));
    lblReason->setText(reasons.join(QLatin1Char('\n')));
    lblReason->setVisible(!reasons.isEmpty());
}

} // namespace pw::gui
