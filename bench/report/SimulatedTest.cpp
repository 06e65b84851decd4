#include "SimulatedTest.h"

#include "parameters/Figures.h"
#include "parameters/TestVariant.h"
#include "testing/core/ChoiceRecord.h"
#include "testing/core/Permutation.h"
#include "testing/core/Protocol.h"
#include "testing/core/ProtocolFile.h"
#include "testing/core/Scoring.h"

#include <QDateTime>
#include <QList>

#include <random>

namespace kavr::bench {

QString WriteSimulatedTest(const QString &resultDir, int n)
{
    RandomSource random(std::uint64_t(n) * 7919 + 17);
    const Permutation keyOrder = DrawPermutation(random);
    const Permutation offerOrder = DrawPermutation(random);
    std::mt19937_64 subject(std::uint64_t(n) + 1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double memory = 0.25 + 0.7 * unit(subject);
    std::lognormal_distribution<double> pace(std::log(1.5 + 4.0 * unit(subject)), 0.45);

    // The answer row: position i offers the figure of task panel offerOrder[i].
    const TestVariant &variant = TestVariants[n % VariantCount];
    const double answerSeconds = variant.answerSeconds;
    QList<int> row;
    for (int i = 1; i <= FigureCount; ++i)
        row << i;
    QList<int> freePanels = row;
    ChoiceTable choices{};
    double elapsed = 0;
    int placed = 0;
    while (placed < FigureCount) {
        const int pick = row.at(int(unit(subject) * row.size()));
        const int figurePanel = offerOrder[pick];
        const double time = std::round(pace(subject) * 1000) / 1000;
        ChoiceRecord &c = choices[placed + 1];
        if (elapsed + time >= answerSeconds) {
            c.Time = answerSeconds - elapsed + 0.004;
            if (unit(subject) < 0.5) {
                c.PictureNo = pick;
                c.Answer = keyOrder[figurePanel];
            }
            elapsed = answerSeconds + 0.004;
            break;
        }
        int panel = figurePanel;
        if (!freePanels.contains(panel) || unit(subject) > memory)
            panel = freePanels.at(int(unit(subject) * freePanels.size()));
        c = {time, panel, keyOrder[panel], pick, keyOrder[figurePanel]};
        elapsed += time;
        row.removeOne(pick);
        freePanels.removeOne(panel);
        ++placed;
    }

    FormatSettings settings;
    settings.decimalSeparator = QStringLiteral(",");
    const QString code = QStringLiteral("S-%1").arg(n, 5, 10, QLatin1Char('0'));
    const QDateTime setUp = QDateTime(QDate(2026, 1, 12), QTime(9, 0)).addSecs(qint64(n) * 1800);
    const double instruction = 40 + 80 * unit(subject);
    QStringList lines = protocol::HeaderLines(code, QStringLiteral("Испытуемый %1 И.И.").arg(n),
                                              setUp, settings);
    lines << protocol::InstructionLine(instruction, settings)
          << protocol::FinishTimeLine(setUp.time().addSecs(int(instruction) + 95), settings)
          << protocol::ResultLines(variant.itemText.toString(), elapsed, ScoreChoices(choices),
                                   choices, settings);
    const SaveTarget target{resultDir, {}};
    return n % 100 == 99 ? SaveRecoveredProtocol(target, code, lines)
                         : TrySaveProtocol(target, code, lines).path;
}

} // namespace kavr::bench
