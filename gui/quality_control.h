#pragma once
// The Setting window's "Compress Quality" control: a JPEG quality 1..100 or "Lossless", shown
// in the row's two captions.
#include <QWidget>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace pw::gui {

class QualityControl : public QWidget {
    Q_OBJECT
public:
    // `value` and `words` are the row's captions (lblQuality, lblQtt), kept up to date.
    QualityControl(QLabel* value, QLabel* words, QWidget* parent = nullptr);

    int quality() const;
    bool lossless() const;
    void setQuality(int quality, bool lossless);

    QSpinBox* spnQuality = nullptr;
    QCheckBox* chkLossless = nullptr;

signals:
    // The quality or the lossless choice was changed, by the user or by setQuality.
    void changed();

private:
    void showCaptions();

    QLabel* value_;
    QLabel* words_;
};

} // namespace pw::gui
