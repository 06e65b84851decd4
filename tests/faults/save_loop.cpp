// Saves protocol versions first, first + 1, ... into a folder as fast as it can, printing each
// version once it is saved, until it is killed (or last is reached).
// Usage: kavr_save_loop <folder> <code> <first> [last]
#include "ProtocolVersions.h"
#include "testing/core/ProtocolFile.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    const kavr::SaveTarget target{args[1], {}};
    const int first = args[3].toInt();
    const int last = args.size() > 4 ? args[4].toInt() : -1;
    // Two versions prepared beforehand, so that most of the time goes to the save itself.
    const QStringList versions[2] = {kavr::test::ProtocolVersion(first), kavr::test::ProtocolVersion(first + 1)};
    for (int version = first; last < 0 || version <= last; ++version) {
        if (!kavr::TrySaveProtocol(target, args[2], versions[(version - first) % 2]).error.isEmpty())
            return 1;
        std::printf("%d\n", (version - first) % 2 + first);
        std::fflush(stdout);
    }
    return 0;
}
