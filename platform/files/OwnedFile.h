#pragma once
// An open file the holder alone closes: the C runtime's descriptor (on Windows too, where it
// stands for the system's handle), closed when its holder goes or is given another. Moved, never
// copied, so that it is closed exactly once on every path; release() hands it to whoever closes
// it from then on (a QFile).
#include <utility>

namespace kavr::platform {

class OwnedFile final
{
public:
    OwnedFile() = default;
    // Takes descriptor to close; -1 holds none.
    explicit OwnedFile(int descriptor) : m_descriptor(descriptor) {}
    OwnedFile(OwnedFile &&other) noexcept : m_descriptor(other.release()) {}
    OwnedFile &operator=(OwnedFile &&other) noexcept;
    OwnedFile(const OwnedFile &) = delete;
    OwnedFile &operator=(const OwnedFile &) = delete;
    ~OwnedFile() { reset(); }

    explicit operator bool() const { return m_descriptor >= 0; }
    // The descriptor, still held; -1 when none is.
    int get() const { return m_descriptor; }
    // The descriptor, no longer held: the caller closes it.
    int release() { return std::exchange(m_descriptor, -1); }
    // Closes the descriptor held, if any, and holds descriptor instead.
    void reset(int descriptor = -1);

private:
    int m_descriptor = -1;
};

} // namespace kavr::platform
