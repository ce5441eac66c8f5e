#!/usr/bin/env python3
# Writes the A-law reference table the codec tests compare against: for every 16-bit sample
# from -32768 to 32767, in order, the A-law code that Python's audioop module gives
# (lin2alaw.bin). For A-law audioop agrees with ITU G.711's reference software on every input;
# for mu-law it does not (it truncates negative samples differently), so no mu-law table is
# made here. Needs a Python that still has audioop (3.12 or older).
import audioop
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
samples = struct.pack('<65536h', *range(-32768, 32768))
with open(os.path.join(here, 'lin2alaw.bin'), 'wb') as out:
    out.write(audioop.lin2alaw(samples, 2))
