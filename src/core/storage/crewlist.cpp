#include "storage/crewlist.h"

#include "text/linefile.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace velmarsk {

namespace {

// Sorts the lines of a crew file by the keys of their folded texts, equal keys in file order, and
// calls keep(line, bytes) with the first line of each run of equal keys, in key order. Keys are the
// bulk of the memory a sort takes, one allocation or two each: they are made where needed and
// dropped again, never held for all lines at once.
void forEachFirstOfEqualKeys(QByteArrayView file, const std::vector<linefile::Line>& lines,
                             const QString& folded, const QCollator& collator, const auto& keep) {
    const auto count = std::uint32_t(lines.size());
    auto keyOfText = [&collator](QStringView text) {
        return collator.sortKey(QString::fromRawData(text.data(), text.size()));
    };
    auto keyOf = [&](std::uint32_t i) {
        return keyOfText(QStringView(folded).sliced(lines[i].start, lines[i].length));
    };
    auto keepLine = [&](std::uint32_t i) { keep(i, file.sliced(lines[i].start, lines[i].length)); };
    // Sorts keys, equal keys in the order given, and calls keepAt with the place of the first key of
    // each run of equal keys.
    auto sortAndKeep = [](const std::vector<QCollatorSortKey>& keys, const auto& keepAt) {
        std::vector<std::uint32_t> order(keys.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) {
            const int c = keys[a].compare(keys[b]);
            return c != 0 ? c < 0 : a < b;
        });
        for (std::size_t k = 0; k < order.size(); ++k)
            if (k == 0 || keys[order[k - 1]].compare(keys[order[k]]) != 0) keepAt(order[k]);
    };
    // A file this program wrote is in order already: one pass, two keys at a time.
    std::vector<std::uint32_t> firsts;
    bool sorted = true;
    if (count > 0) {
        QCollatorSortKey previous = keyOf(0);
        firsts.push_back(0);
        for (std::uint32_t i = 1; i < count && sorted; ++i) {
            QCollatorSortKey key = keyOf(i);
            const int c = previous.compare(key);
            sorted = c <= 0;
            if (c < 0) firsts.push_back(i);
            previous = std::move(key);
        }
    }
    if (sorted) {
        for (const std::uint32_t i : firsts) keepLine(i);
        return;
    }
    std::vector<std::uint32_t>().swap(firsts);
    constexpr std::uint32_t kBucketSize = 512;
    const std::uint32_t bucketCount = count / kBucketSize;
    if (bucketCount < 2) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) keys.push_back(keyOf(i));
        sortAndKeep(keys, keepLine);
        return;
    }
    // Sorting all keys at once would read them from all over memory at every step. Instead each line
    // goes into one of many small buckets, between bounds taken from a sorted sample of the lines;
    // the bounds stay in the cache. Each bucket is then sorted on its own. A line goes behind every
    // bound whose key is not above its own, so the lines of one key share a bucket.
    constexpr std::uint32_t kSamplesPerBucket = 8;  // more samples, buckets more even
    std::vector<QCollatorSortKey> bounds;
    {
        const std::uint32_t sampleCount = bucketCount * kSamplesPerBucket;
        std::vector<QCollatorSortKey> samples;
        samples.reserve(sampleCount);
        for (std::uint32_t k = 0; k < sampleCount; ++k)
            samples.push_back(keyOf(std::uint32_t(std::uint64_t(k) * count / sampleCount)));
        std::sort(samples.begin(), samples.end());
        bounds.reserve(bucketCount - 1);
        for (std::uint32_t k = kSamplesPerBucket; k < sampleCount; k += kSamplesPerBucket)
            bounds.push_back(samples[k]);
    }
    std::vector<std::uint32_t> bucketOf(count);
    std::vector<std::uint32_t> start(bounds.size() + 2, 0);
    std::vector<qsizetype> textStart(bounds.size() + 2, 0);
    for (std::uint32_t i = 0; i < count; ++i) {
        const QCollatorSortKey key = keyOf(i);
        const auto b = std::uint32_t(std::upper_bound(bounds.begin(), bounds.end(), key) - bounds.begin());
        bucketOf[i] = b;
        ++start[b + 1];
        textStart[b + 1] += lines[i].length;
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::partial_sum(textStart.begin(), textStart.end(), textStart.begin());
    // The lines of each bucket are copied together, folded and as they are, so that sorting a bucket
    // and taking its names read them one after another.
    std::vector<std::uint32_t> members(count);
    std::vector<qsizetype> at(std::size_t(count) + 1);  // where the copy of each member starts
    QString foldedCopy(textStart.back(), Qt::Uninitialized);
    QByteArray bytesCopy(textStart.back(), Qt::Uninitialized);
    {
        std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
        std::vector<qsizetype> nextText(textStart.begin(), textStart.end() - 1);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t b = bucketOf[i];
            const linefile::Line& line = lines[i];
            std::copy_n(folded.constData() + line.start, line.length, foldedCopy.data() + nextText[b]);
            std::copy_n(file.data() + line.start, line.length, bytesCopy.data() + nextText[b]);
            at[next[b]] = nextText[b];
            nextText[b] += line.length;
            members[next[b]++] = i;
        }
        at[count] = textStart.back();
    }
    std::vector<std::uint32_t>().swap(bucketOf);
    std::vector<QCollatorSortKey> keys;
    for (std::size_t b = 0; b + 1 < start.size(); ++b) {
        keys.clear();
        for (std::uint32_t k = start[b]; k < start[b + 1]; ++k)
            keys.push_back(keyOfText(QStringView(foldedCopy).sliced(at[k], at[k + 1] - at[k])));
        sortAndKeep(keys, [&](std::uint32_t k) {
            const std::uint32_t m = start[b] + k;
            keep(members[m], QByteArrayView(bytesCopy).sliced(at[m], at[m + 1] - at[m]));
        });
    }
}

}  // namespace

CrewList::CrewList() : m_collator(QLocale()) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

qsizetype CrewList::lowerBound(const QString& name) const {
    qsizetype lo = 0, hi = m_names.size();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (m_collator.compare(m_names.at(mid), name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool CrewList::contains(const QString& name) const {
    if (m_folded.contains(name.toCaseFolded())) return true;
    const qsizetype i = lowerBound(name);
    return i < m_names.size() && m_collator.compare(m_names.at(i), name) == 0;
}

bool CrewList::add(const QString& name) {
    const QString folded = name.toCaseFolded();
    if (m_folded.contains(folded)) return false;
    const qsizetype i = lowerBound(name);
    if (i < m_names.size() && m_collator.compare(m_names.at(i), name) == 0) return false;
    m_names.insert(i, name);
    m_folded.insert(folded);
    return true;
}

void CrewList::load(const QByteArray& file) {
    clear();
    // The same set as adding the lines one by one (the first of equal names stays), but sorted
    // once: inserting each line into the sorted list would take time square to its length.
    const std::vector<linefile::Line> lines = linefile::lines(file);
    // One character for each byte: a line lies at the same place in the file and in its folded text.
    const QString folded = cp1252::decodeFolded(file);
    // Keys of the folded text, as not every collation backend lets its keys ignore case; and names
    // that fold alike are equal names, so equal names have equal keys.
    std::vector<bool> kept(lines.size());
    m_names.reserve(qsizetype(lines.size()));
    forEachFirstOfEqualKeys(file, lines, folded, m_collator, [&](std::uint32_t i, QByteArrayView bytes) {
        m_names.append(cp1252::decode(bytes));
        kept[i] = true;
    });
    // The folded file is the buffer of the quick test, filled in file order as it lies in memory.
    m_folded.setBuffer(folded);
    m_folded.reserve(m_names.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (kept[i]) m_folded.insertAt(lines[i].start, lines[i].length);
    m_changed = false;
}

QByteArray CrewList::serialize() const {
    return linefile::write(m_names);
}

void CrewList::clear() {
    m_names.clear();
    m_folded.clear();
    m_changed = false;
}

}  // namespace velmarsk
