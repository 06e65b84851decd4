#pragma once
// While it lives, files are reached with the rights of a user without rights of its own:
// root's effective user becomes nobody (root would ignore every permission bit); any other
// user already is such a user. The program in a lab runs so.
#include <QString>

namespace kavr::test {

class Unprivileged
{
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;

    // Whether the rights can be given up here (not where user namespaces map only a few ids)
    // and such a user can reach path (every folder on the way open to all).
    static bool possible(const QString &path);
    // Hands path to that user, so that it may write there.
    static void giveTo(const QString &path);

private:
    bool m_switched = false;
};

} // namespace kavr::test
