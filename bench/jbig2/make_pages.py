# Writes COUNT noisy black-and-white text pages, A4 at 300 dpi (2480 x 3508), as PBM files
# FOLDER/pNNN.pbm and uncompressed TIFFs FOLDER/pNNN.tif: lines of words in a DejaVu face, a little askew, with ragged letter edges
# (grey noise before the threshold) and scattered specks, as a scanner gives them. Page i is
# the same on every run. With PART and PARTS, only the pages i with i % PARTS == PART (one
# process per core).
#   /usr/bin/python3 make_pages.py FOLDER COUNT [PART PARTS]
import random
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

folder, count = sys.argv[1], int(sys.argv[2])
part, parts = (int(sys.argv[3]), int(sys.argv[4])) if len(sys.argv) > 4 else (0, 1)
width, height = 2480, 3508
faces = ["DejaVuSerif.ttf", "DejaVuSans.ttf", "DejaVuSansMono.ttf", "DejaVuSans-Bold.ttf"]
vocabulary = ("the of and to in a is that for it as was with be by on not he this are or his "
              "from at which but have an they you were her she there been one all we their has "
              "would when if so no what up out about into them can only other time new some "
              "could these two may first then do any like my now over such our man me even most "
              "made after also did many before must through back years where much your way well "
              "down should because each just those people how too little state good very make "
              "world still own see men work long get here between both life being under never "
              "day same another know while last might us great old year off come since against "
              "go came right used take three council budget report figures 1998 2024 37.5% (a) "
              "committee district approved, schools; water: roads - Section 12.4").split()

for i in range(part, count, parts):
    rng = random.Random(i)
    face = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/" + faces[i % len(faces)],
                              rng.choice([34, 38, 42, 46]))
    page = Image.new("L", (width, height), 255)
    draw = ImageDraw.Draw(page)
    step = int(face.size * 1.45)
    y = 240
    while y < height - 300:
        words, x = [], 0
        while True:
            word = rng.choice(vocabulary)
            if x + draw.textlength(word + " ", font=face) > width - 480:
                break
            words.append(word)
            x += draw.textlength(word + " ", font=face)
        draw.text((240, y), " ".join(words), font=face, fill=0)
        y += step if rng.random() > 0.08 else 2 * step  # now and then a blank line
    page = page.rotate(rng.uniform(-0.6, 0.6), resample=Image.BILINEAR, fillcolor=255)
    page = page.filter(ImageFilter.GaussianBlur(0.9))
    # Ragged edges: grey noise added around the threshold.
    noise = Image.effect_noise((width, height), 40)
    page = ImageChops.add(page, noise, 1.0, -128)
    bits = page.point(lambda v: 255 if v > 120 else 0)
    # Specks: the rare extremes of a second noise field, black on paper and white in letters.
    specks = Image.effect_noise((width, height), 40)
    dark = specks.point(lambda v: 255 if v < 6 else 0)
    light = specks.point(lambda v: 255 if v > 250 else 0)
    bits = ImageChops.subtract(bits, dark)
    bits = ImageChops.add(bits, light)
    bits = bits.convert("1", dither=Image.NONE)
    bits.save(f"{folder}/p{i:03d}.pbm")
    bits.save(f"{folder}/p{i:03d}.tif", dpi=(300, 300))
