#include "report/figures/BoardFacts.h"

#include "parameters/Figures.h"

namespace kavr::report {

QList<int> BoardFacts::unknownPanels() const
{
    QList<int> unknown;
    for (int p = 1; p <= FigureCount; ++p) {
        if (panels[p].shownFigure == 0)
            unknown << p;
    }
    return unknown;
}

QList<int> BoardFacts::unplacedFigures() const
{
    QList<int> unplaced;
    for (int f = 1; f <= FigureCount; ++f) {
        if (figures[f].rows.isEmpty())
            unplaced << f;
    }
    return unplaced;
}

BoardFacts ReadBoardFacts(const ProtocolRecord &record)
{
    BoardFacts facts;
    bool unplacedSeen = false;
    int firstUnplaced = 0;
    // Exposure figures as the rows give them, before conflicts are settled.
    PerFigure<QList<int>> keysOnPanel{};
    for (int i = 1; i <= FigureCount; ++i) {
        const ChoiceRecord &c = record.choices[i];
        if (!c.placed()) {
            if (!unplacedSeen)
                firstUnplaced = i;
            unplacedSeen = true;
            continue;
        }
        if (unplacedSeen)
            facts.contradictions << QStringLiteral("выбор %1 сделан после невыполненного выбора %2")
                                        .arg(i)
                                        .arg(firstUnplaced);
        if (!IsFigureNumber(c.Key) || !IsFigureNumber(c.Answer) || !IsFigureNumber(c.PictureNo)) {
            facts.contradictions << QStringLiteral("выбор %1: фигура, ключ или позиция вне 1–%2")
                                        .arg(i)
                                        .arg(FigureCount);
            if (IsFigureNumber(c.PanelNo))
                facts.panels[c.PanelNo].rows << i;
            continue;
        }
        facts.panels[c.PanelNo].rows << i;
        facts.figures[c.Answer].rows << i;
        if (!keysOnPanel[c.PanelNo].contains(c.Key))
            keysOnPanel[c.PanelNo] << c.Key;
    }

    for (int p = 1; p <= FigureCount; ++p) {
        const QList<int> &rows = facts.panels[p].rows;
        if (rows.size() > 1)
            facts.contradictions << QStringLiteral("на панель %1 поставлено %2 фигуры (выборы %3)")
                                        .arg(p)
                                        .arg(rows.size())
                                        .arg([&] {
                                            QStringList numbers;
                                            for (int r : rows)
                                                numbers << QString::number(r);
                                            return numbers.join(QStringLiteral(", "));
                                        }());
        if (keysOnPanel[p].size() == 1)
            facts.panels[p].shownFigure = keysOnPanel[p].front();
        else if (keysOnPanel[p].size() > 1)
            facts.contradictions
                << QStringLiteral("у панели %1 разные ключи в разных выборах").arg(p);
    }
    for (int f = 1; f <= FigureCount; ++f) {
        if (facts.figures[f].rows.size() > 1)
            facts.contradictions << QStringLiteral("фигура %1 поставлена %2 раза")
                                        .arg(f)
                                        .arg(facts.figures[f].rows.size());
    }
    // A figure can have lain on one panel only.
    for (int f = 1; f <= FigureCount; ++f) {
        QList<int> on;
        for (int p = 1; p <= FigureCount; ++p) {
            if (facts.panels[p].shownFigure == f)
                on << p;
        }
        if (on.size() == 1) {
            facts.figures[f].shownOn = on.front();
        } else if (on.size() > 1) {
            facts.contradictions << QStringLiteral("фигура %1 в ключе у панелей %2 и %3")
                                        .arg(f)
                                        .arg(on.at(0))
                                        .arg(on.at(1));
            for (int p : on)
                facts.panels[p].shownFigure = 0;
        }
    }
    // Eleven known: the twelfth panel held the twelfth figure. Only on a board without
    // contradictions, where the eleven can be trusted.
    const QList<int> unknown = facts.unknownPanels();
    if (facts.contradictions.isEmpty() && unknown.size() == 1) {
        int missing = 0;
        for (int f = 1; f <= FigureCount; ++f) {
            if (facts.figures[f].shownOn == 0)
                missing = f;
        }
        facts.panels[unknown.front()] = {missing, true, facts.panels[unknown.front()].rows};
        facts.figures[missing].shownOn = unknown.front();
    }

    // A figure picked at the time-out is written into the row in progress and stays there.
    if (firstUnplaced != 0 && facts.contradictions.isEmpty()) {
        const ChoiceRecord &c = record.choices[firstUnplaced];
        if (IsFigureNumber(c.Answer) && IsFigureNumber(c.PictureNo)
            && facts.figures[c.Answer].rows.isEmpty())
            facts.pickedAtTimeOut = firstUnplaced;
    }
    return facts;
}

} // namespace kavr::report
