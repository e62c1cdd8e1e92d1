#pragma once
// The order of Control > Sort: by path in the user's locale (accented letters among their base
// letters), letter case ignored, runs of digits compared by their value (IMG_2.jpg before
// IMG_10.jpg, as in a file manager), equal keys keeping their order.
#include <QCollatorSortKey>

class QString;

namespace pw {

// The path's place in that order: keys compare (QCollatorSortKey::compare) as their paths
// sort. Made once per path, they make a sort of the longest list quick.
QCollatorSortKey pathSortKey(const QString& path);

} // namespace pw
