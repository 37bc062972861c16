#!/usr/bin/python3
# Decodes frames with canmatrix (Debian's python3-canmatrix), an independent DBC decoder the
# signal tests compare against. Input lines: "ID EXTENDED HEXDATA" (identifier in decimal,
# EXTENDED 0 or 1, eight data bytes). Output lines: "FRAME;SIGNAL;RAW;PHYSICAL" for every
# signal canmatrix finds present, FRAME being the 0-based input line.
import sys

import canmatrix.formats

database = canmatrix.formats.loadp_flat(sys.argv[1])
frames = {(f.arbitration_id.id, bool(f.arbitration_id.extended)): f for f in database.frames}
for index, line in enumerate(open(sys.argv[2])):
    ident, extended, data = line.split()
    frame = frames[(int(ident), extended == "1")]
    for name, value in frame.decode(bytearray.fromhex(data)).items():
        print("%d;%s;%r;%s" % (index, name, value.raw_value, value.phys_value))
