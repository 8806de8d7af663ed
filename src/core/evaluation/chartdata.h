#pragma once

#include "text/conversionerror.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstddef>
#include <span>
#include <vector>

namespace velmarsk {

class FlightPass;

// How the flights are grouped: per calendar year, quarter or month.
enum class ChartMode { Year = 0, Quarter = 1, Month = 2 };

// One category a chart can show: the check box that selects it, its caption, whether it adds up
// minutes (kind 1) or counts (kind 2), and the record fields it sums (byte offsets in a slot).
struct ChartCategory {
    const char* name;     // objectName of its check box
    const char* caption;  // UTF-8
    int child;            // its place among the children of the boxes' panel
    int kindOfValue;      // 1 minutes, 2 a count
    std::size_t fields[5];
    int fieldCount;

    QString boxName() const { return QString::fromLatin1(name); }
    QString captionText() const { return QString::fromUtf8(caption); }
    bool isTime() const { return kindOfValue == 1; }
    // 0x00BBGGRR, from the fixed palette by the box's place.
    quint32 colour() const;
};

// Every category, in the order of its box among the panel's children.
std::span<const ChartCategory> chartCategories();
// Index into chartCategories() of the box with this objectName; -1 when there is none.
int chartCategoryIndex(QStringView boxName);

// The hand-over from the selection to the chart window: block 0 the header (title, mode letter,
// start year), then one block per selected category (caption, colour number, kind, one value per
// period, oldest first). Each block is one text whose every line ends with CR LF.
struct ChartData {
    QStringList blocks;

    bool isEmpty() const { return blocks.isEmpty(); }
    QStringList lines(int block) const;
    // From the header.
    QString title() const;
    QChar modeLetter() const;
    int startYear() const;
    // Number of series, and of values in each.
    int seriesCount() const { return blocks.isEmpty() ? 0 : int(blocks.size()) - 1; }
    int valueCount() const;

    // The text of one block from its lines.
    static QString block(const QStringList& lines);
};

// Why a selection gives no chart.
enum class ChartRefusal {
    None,
    EmptyLogbook,    // no flight at all
    NoFlights,       // none in the chosen years
    TooManyValues,   // more than 67 values per series
    TooComplex,      // lines x blocks above 300
    NothingChecked,  // no category chosen: refused without a message
    TooFewValues     // one value per series: no line to draw
};

struct ChartRequest {
    int von = 0;  // first and last year, both included
    int bis = 0;
    ChartMode mode = ChartMode::Year;
    std::vector<int> checked;  // indexes into chartCategories(), in any order
};

struct ChartBuild {
    ChartRefusal refusal = ChartRefusal::None;
    QString message;  // what the user is told; empty for NothingChecked and None
    ChartData data;   // filled when accepted
    // Every category's block lines (caption, colour, kind, values), checked or not, as the boxes
    // receive them; empty when the values were never summed.
    std::vector<QStringList> seriesLines;

    bool accepted() const { return refusal == ChartRefusal::None; }
};

// The most values a series may have, and the most lines (header included, values times blocks)
// a drawing may take.
inline constexpr int kMaxChartLines = 70;
inline constexpr int kMaxChartDrawing = 300;

QString chartTitle(ChartMode mode);
QChar chartModeLetter(ChartMode mode);
// The mode of a letter "J", "Q" or "M"; false for any other text.
bool chartModeFromLetter(QStringView letter, ChartMode* mode);

// Sums every category per period over the flights from 1 January von to 31 December bis, read
// through the pass in one sweep. The values line up with the periods: the first is the first
// period (January, first quarter) of the year of the range's first flight, the last the period
// of its last flight, and a period without flights holds 0. Refuses an empty logbook, a range
// without flights, more values than a chart holds, a drawing that is too complex, no category and
// a single value per series, in that order.
ChartBuild BuildChartData(const FlightPass& pass, const ChartRequest& request);

// The refusal messages, as the selection window shows them.
QString chartMessage(ChartRefusal refusal);

// A year as typed: a whole number (else "'x' ist kein gültiger Integerwert") that names a year a
// date can have (else "Ungültiges Argument für Datumscodierung").
class ChartYearError : public ConversionError {
public:
    using ConversionError::ConversionError;
};
int ChartYearFromText(const QString& text);

}  // namespace velmarsk
