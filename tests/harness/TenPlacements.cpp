#include "harness/TenPlacements.h"

#include "harness/MonotonicTime.h"
#include "harness/ScreenMap.h"
#include "parameters/Figures.h"
#include "parameters/TestVariant.h"

#include <QTest>
#include <QThread>

namespace kavr::harness {

QList<Placement> PlaceTen(XInput &input, const std::function<QPoint(QPoint)> &at, const FiguresSeen &seen,
                          std::int64_t answerSeenNs)
{
    QList<Placement> placements;
    std::int64_t mark = answerSeenNs;
    for (int position = 1; position <= 10; ++position) {
        const int panel = position == 4 ? seen.panelOf[seen.offered[11]]
                        : position == 7 ? seen.panelOf[seen.offered[12]]
                                        : seen.panelOf[seen.offered[position]];
        QThread::msleep(250 + 60 * position);
        input.click(at(screen::AnswerImageArea(position).center()));
        const std::int64_t placed = input.click(at(screen::TaskImageArea(panel).center()));
        placements << Placement{position, panel, ToMs(placed - mark) / 1000.0};
        mark = placed;
    }
    return placements;
}

void CheckTenPlacements(const report::ProtocolRecord &record, const QList<Placement> &placements,
                        const FiguresSeen &seen)
{
    QCOMPARE(placements.size(), 10);
    QVERIFY(record.variantIndex() >= 0);
    const double answerSeconds = TestVariants.at(record.variantIndex()).answerSeconds;
    QCOMPARE(record.answerSeconds, answerSeconds);
    QCOMPARE(record.score.correct, 8);
    QCOMPARE(record.score.wrong, 2);
    QCOMPARE(record.score.missing, 2);
    double placedSum = 0;
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &row = record.choices[i];
        if (i <= 10) {
            const Placement &p = placements[i - 1];
            QCOMPARE(row.PanelNo, p.panel);
            QCOMPARE(row.Key, seen.keyOrder[p.panel]);
            QCOMPARE(row.PictureNo, p.position);
            QCOMPARE(row.Answer, seen.offered[p.position]);
            QCOMPARE(!row.correct(), i == 4 || i == 7);
            const double tolerance = i == 1 ? 0.3 : 0.1;
            QVERIFY2(qAbs(row.Time - p.seconds) <= tolerance,
                     qPrintable(QStringLiteral("row %1: %2 s in the protocol, %3 s measured").arg(i).arg(row.Time).arg(p.seconds)));
            placedSum += row.Time;
        } else {
            QCOMPARE(row.PanelNo, -1);
            QCOMPARE(row.Key, 0);
            QCOMPARE(row.PictureNo, 0);
            QCOMPARE(row.Answer, 0);
            // Row 11 carries the rest of the answer time; row 12 nothing.
            QCOMPARE(row.Time > 0, i == 11);
            if (i == 11)
                QVERIFY2(qAbs(placedSum + row.Time - answerSeconds) < 0.25, qPrintable(QString::number(placedSum + row.Time)));
        }
    }
}

} // namespace kavr::harness
