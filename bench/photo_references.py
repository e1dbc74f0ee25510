#!/usr/bin/env python3
"""The photographs of bench/codec_rates.py as its coder sees them, and what Pillow's OpenJPEG and
libjpeg make of them at the same bytes, for bench/web_photos.js, which runs this once.

Usage: bench/photo_references.py FOLDER

For each photograph (fetched when missing, as codec_rates.py does), writes FOLDER/NAME.tga, the
512 x 512 grey picture, which the page takes as it is, and FOLDER/NAME.raw, its greys, top row
first; prints as JSON, for each, its name and files and, at each of codec_rates.py's rates, the
budget in bytes with OpenJPEG's and libjpeg's bytes and PSNR (libjpeg null when no file fits).
"""

import json
import os
import sys

from PIL import Image

import codec_rates


def references(grey, rate):
    budget = codec_rates.budget(rate)
    j2k_bytes, j2k = codec_rates.openjpeg(grey, budget)
    jpeg = codec_rates.libjpeg(grey, budget)
    return {"bpp": rate, "budget": budget, "openjpeg": {"bytes": j2k_bytes, "psnr": j2k},
            "libjpeg": jpeg and {"bytes": jpeg[0], "psnr": jpeg[1], "quality": jpeg[2]}}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    photographs = []
    for path in codec_rates.photographs():
        name = os.path.basename(path)
        stem = os.path.join(sys.argv[1], os.path.splitext(name)[0])
        grey = codec_rates.grey_square(path)
        Image.fromarray(grey).save(stem + ".tga")
        grey.tofile(stem + ".raw")
        photographs.append({"name": name, "tga": stem + ".tga", "raw": stem + ".raw",
                            "rates": [references(grey, rate) for rate in codec_rates.RATES]})
    json.dump(photographs, sys.stdout, indent=1)


if __name__ == "__main__":
    main()
