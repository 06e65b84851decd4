#!/usr/bin/python3
# Marks Windows executables to be copied to the swap file when started from a network share or
# removable media (IMAGE_FILE_NET_RUN_FROM_SWAP, IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP): labs run
# the program from a shared folder or a USB stick, and a share that drops during a test must not
# take the pages of the save's fallback and of its message box with it. GNU ld has no switch for
# them. Usage: run-from-swap.py EXE...
import sys

import pefile

RUN_FROM_SWAP = pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP"] | \
    pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_NET_RUN_FROM_SWAP"]

for path in sys.argv[1:]:
    pe = pefile.PE(path)
    pe.FILE_HEADER.Characteristics |= RUN_FROM_SWAP
    pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
    data = pe.write()
    pe.close()
    with open(path, "wb") as exe:
        exe.write(data)
