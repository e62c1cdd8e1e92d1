#include "core/path_order.h"

#include <QCollator>
#include <QLocale>
#include <QString>

namespace pw {
namespace {

QCollator makeOrder() {
    QLocale locale;
    // The C locale collates by code point; English uses the common (root) order instead.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator order(locale);
    order.setCaseSensitivity(Qt::CaseInsensitive);
    order.setNumericMode(true);
    order.setIgnorePunctuation(false);
    return order;
}

} // namespace

QCollatorSortKey pathSortKey(const QString& path) {
    static const QCollator order = makeOrder();
    return order.sortKey(path);
}

} // namespace pw
