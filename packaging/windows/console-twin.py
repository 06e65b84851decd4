#!/usr/bin/python3
# Makes the console twin of a program built for the window subsystem: the same file with the
# console subsystem in its header, as Microsoft's editbin /SUBSYSTEM:CONSOLE does. Windows then
# gives it the console of the command prompt that starts it, and the prompt waits for it; the
# program itself tells the two starts apart (platform::JoinConsole). Usage:
#   console-twin.py WINDOW_EXE CONSOLE_TWIN
import sys

import pefile

source, twin = sys.argv[1:3]
pe = pefile.PE(source)
if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
    sys.exit(f"{source}: not built for the window subsystem")
pe.OPTIONAL_HEADER.Subsystem = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CUI"]
pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
data = pe.write()
pe.close()
with open(twin, "wb") as out:
    out.write(data)
