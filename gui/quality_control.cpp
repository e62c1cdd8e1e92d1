#include "gui/quality_control.h"

#include "app/document_options.h"
#include "jobfiles/job_options.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace pw::gui {

QualityControl::QualityControl(QLabel* value, QLabel* words, QWidget* parent)
    : QWidget(parent), value_(value), words_(words) {
    setObjectName(QStringLiteral("qualityControl"));
    spnQuality = new QSpinBox(this);
    spnQuality->setObjectName(QStringLiteral("spnQuality"));
    spnQuality->setRange(1, 100);
    spnQuality->setSuffix(QStringLiteral("%"));
    spnQuality->setToolTip(
        QStringLiteral("JPEG quality of the pictures that are not JPEG files; JPEG files always "
                       "go into the PDF as they are"));
    chkLossless = new QCheckBox(QStringLiteral("Lossless"), this);
    chkLossless->setObjectName(QStringLiteral("chkLossless"));
    chkLossless->setToolTip(QStringLiteral("Keep every pixel of pictures that are not JPEG "
                                           "files, and their transparency"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(spnQuality);
    row->addWidget(chkLossless);
    connect(spnQuality, &QSpinBox::valueChanged, this, [this] { showCaptions(); });
    connect(chkLossless, &QCheckBox::toggled, this, [this] { showCaptions(); });
    connect(spnQuality, &QSpinBox::valueChanged, this, &QualityControl::changed);
    connect(chkLossless, &QCheckBox::toggled, this, &QualityControl::changed);
    setQuality(jobfiles::kDefaultQuality, false);
}

int QualityControl::quality() const {
    return spnQuality->value();
}

bool QualityControl::lossless() const {
    return chkLossless->isChecked();
}

void QualityControl::setQuality(int quality, bool lossless) {
    spnQuality->setValue(quality);
    chkLossless->setChecked(lossless);
    showCaptions();
}

void QualityControl::showCaptions() {
    spnQuality->setEnabled(!lossless());
    const app::QualityCaptions captions = app::qualityCaptions(quality(), lossless());
    value_->setText(QString::fromStdString(captions.value));
    words_->setText(QString::fromStdString(captions.words));
}

} // namespace pw::gui
