/* Prints the skew of each picture named, in degrees (Leptonica, full resolution), and its
 * confidence: "FILE ANGLE CONFIDENCE". */
#include <leptonica/allheaders.h>
#include <stdio.h>

int main(int argc, char** argv) {
    setMsgSeverity(L_SEVERITY_NONE);
    for (int i = 1; i < argc; ++i) {
        PIX* pix = pixRead(argv[i]);
        PIX* bits = pix != NULL ? pixConvertTo1(pix, 128) : NULL;
        l_float32 angle = 0.0f, confidence = 0.0f, end = 0.0f;
        if (bits == NULL || pixFindSkewSweepAndSearchScore(bits, &angle, &confidence, &end, 1, 1,
                                                           0.0f, 8.0f, 0.2f, 0.005f) != 0) {
            printf("%s unreadable\n", argv[i]);
        } else {
            printf("%s %.3f %.2f\n", argv[i], angle, confidence);
        }
        pixDestroy(&bits);
        pixDestroy(&pix);
    }
    return 0;
}
