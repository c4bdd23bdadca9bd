#include "printfile/mondai_id_parsers.h"

#include <array>

namespace {

enum class Unit { Skip, Separator, Character };

// What one unit of the text is, given whether a record has started (anything read since the
// last record closed): a line break before the first unit of a record is passed over.
Unit Classify(char16_t unit, bool recordStarted)
{
    if (unit == u' ' || unit == u'\r')
        return Unit::Skip;
    if (unit == u'\n')
        return recordStarted ? Unit::Separator : Unit::Skip;
    if (unit == u',')
        return Unit::Separator;
    return Unit::Character;
}

std::unique_ptr<CMondaiInfo> ShortRecord(const CStringW& id, const CStringW& flag)
{
    auto record = std::make_unique<CMondaiInfo>(CMondaiInfo::kShortForm);
    const std::u16string_view text = id.View();
    if (text.size() > 5) {
        record->SetCodes({998, 0, 0, 0, 0, 0});
        const size_t split = text.size() - 5;
        record->ParseId(CStringW(text.substr(0, split)), CStringW(text.substr(split)), flag);
    } else {
        record->SetCodes({999, 0, 0, 0, 0, 0});
        record->ParseId(CStringW(u"-1"), CStringW(u"-1"), flag);
    }
    return record;
}

}  // namespace

std::vector<std::unique_ptr<CMondaiInfo>> ReadMondaiIdRecords(const CStringW& text)
{
    std::vector<std::unique_ptr<CMondaiInfo>> records;
    std::array<CStringW, 2> fields;
    int field = 0;
    bool started = false;
    for (const char16_t unit : text.View()) {
        switch (Classify(unit, started)) {
        case Unit::Skip:
            break;
        case Unit::Character:
            fields[static_cast<size_t>(field)] += unit;
            started = true;
            break;
        case Unit::Separator:
            started = true;
            if (field == 0) {
                field = 1;
                break;
            }
            records.push_back(ShortRecord(fields[0], fields[1]));
            fields = {};
            field = 0;
            started = false;
            break;
        }
    }
    if (!fields[0].IsEmpty())
        records.push_back(ShortRecord(fields[0], fields[1]));
    return records;
}

std::vector<std::unique_ptr<CMondaiInfo>> ReadMondaiId2Records(const CStringW& text)
{
    std::vector<std::unique_ptr<CMondaiInfo>> records;
    std::array<CStringW, 9> fields;
    size_t field = 0;
    bool started = false;
    bool separatorSeen = false;
    const auto close = [&] {
        auto record = std::make_unique<CMondaiInfo>(CMondaiInfo::kLongForm);
        record->ParseId2(fields);
        records.push_back(std::move(record));
        fields = {};
        field = 0;
        started = false;
        separatorSeen = false;
    };
    for (const char16_t unit : text.View()) {
        switch (Classify(unit, started)) {
        case Unit::Skip:
            break;
        case Unit::Character:
            if (field < fields.size())
                fields[field] += unit;
            started = true;
            break;
        case Unit::Separator:
            started = true;
            separatorSeen = true;
            if (++field == fields.size())
                close();
            break;
        }
    }
    if (separatorSeen)
        close();
    return records;
}
