#pragma once
// The order of Control > Sort: by path in the user's locale (accented letters among their base
// letters), letter case ignored, runs of digits compared by their value (IMG_2.jpg before
// IMG_10.jpg, as in a file manager), equal keys keeping their order.
class QString;

namespace pw {

// <0, 0 or >0 as a sorts before, with or after b.
int comparePathsForSort(const QString& a, const QString& b);

} // namespace pw
