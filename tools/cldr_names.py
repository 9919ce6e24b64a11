"""CLDR's Japanese short names of emoji (the "tts" annotations), for the build's
generators. The first file that names an emoji wins."""

import xml.etree.ElementTree as ET


def read_tts_names(paths):
    names = {}
    for path in paths:
        for a in ET.parse(path).getroot().iter("annotation"):
            if a.get("type") == "tts":
                names.setdefault(a.get("cp"), a.text.strip())
    return names
