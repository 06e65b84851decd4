#pragma once
// Making what was written to an open file durable: the data reaches the disk (or the file
// server), not only the system's cache, so that a power cut after the call loses none of it.
namespace kavr::platform {

// fileHandle is the C runtime descriptor of an open file (QFileDevice::handle()). May block
// for milliseconds; safe to call from any thread, and never keeps writes to the file waiting
// meanwhile (on Windows the flush goes through a handle of its own: the file must have been
// opened sharing writing, as CreateNewFile does). Returns false when the system refused.
bool SyncFileToDisk(int fileHandle);

} // namespace kavr::platform
