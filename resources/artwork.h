#pragma once
// The front window's pictures, compiled into the program from resources/images.
// Sizes and places are in layout.h; the pictures are drawn at exactly those pixels.
#include <QCursor>
#include <QPixmap>

namespace pw::art {

QPixmap background();          // 553 x 371, key colour RGB(255, 0, 255) outside the outline
QPixmap welcomePanel();        // picDoor, 537 x 181
QPixmap toolbarHover(int i);   // imgToolbarData(i), i in 0..5
QPixmap toolbarPressed(int i); // imgToolbarClick(i), i in 0..5
QPixmap menuHover(int i);      // imgMenuData(i), i in 0..3
QPixmap convertHover();        // imgConvertData
QPixmap stopButton();          // imgConvert while a job runs
QPixmap stopHover();
QPixmap upHover();      // imgUpData
QPixmap downHover();    // imgDownData
QPixmap cursorPixmap(); // 32 x 32 pointing hand with alpha
QCursor closeCursor();  // the cursor of imgExit and imgMin, hotspot at the fingertip

// An index outside the range gives a null pixmap.

} // namespace pw::art
