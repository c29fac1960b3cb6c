#include "records/check_record.h"

#include "base/sjis_text.h"
#include "base/texts/records.h"

#include <array>

namespace check_records {

namespace {

namespace t = texts::records;

struct TextFieldSpec {
    TextField field;
    int maxLength;
    bool mayBeEmpty;
    BiText caption;
    QString Entry::*member;
};

// In the window's order; the sizes are those of the table's fields.
const std::array<TextFieldSpec, 5>& textFields()
{
    static const std::array<TextFieldSpec, 5> all{{
        {TextField::Driver, 40, false, t::HeadDriver, &Entry::driver},
        {TextField::Vehicle, 20, false, t::HeadVehicle, &Entry::vehicle},
        {TextField::Checker, 50, true, t::HeadChecker, &Entry::checker},
        {TextField::Instructions, 200, true, t::HeadInstructions, &Entry::instructions},
        {TextField::Remarks, 200, true, t::HeadRemarks, &Entry::remarks},
    }};
    return all;
}

const TextFieldSpec& specOf(TextField field)
{
    return textFields()[std::size_t(field)];
}

bool recordable(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return sjis::encode(text).has_value();
}

} // namespace

int maxLength(TextField field)
{
    return specOf(field).maxLength;
}

QString caption(TextField field, bool english)
{
    return specOf(field).caption.pick(english);
}

QString inSentence(TextField field, bool english)
{
    return english ? caption(field, true).toLower() : caption(field, false);
}

Problem problemOf(const Entry& entry)
{
    for (const TextFieldSpec& spec : textFields()) {
        const QString& text = entry.*spec.member;
        if (text.trimmed().isEmpty() && !spec.mayBeEmpty)
            return {Problem::Empty, spec.field};
        if (!recordable(text))
            return {Problem::BadCharacter, spec.field};
        // Every character Shift_JIS holds is one UTF-16 unit.
        if (text.trimmed().size() > spec.maxLength)
            return {Problem::TooLong, spec.field};
    }
    return {};
}

Entry trimmed(Entry entry)
{
    for (const TextFieldSpec& spec : textFields())
        entry.*spec.member = (entry.*spec.member).trimmed();
    return entry;
}

QString phaseText(Phase phase, bool english)
{
    return (phase == Phase::AfterDriving ? t::AfterDriving : t::BeforeDriving).pick(english);
}

QString methodText(Method method, bool english)
{
    static constexpr BiText kMethods[] = {t::FaceToFace, t::Telephone, t::VideoCall,
                                          t::OtherMethod};
    return kMethods[int(method)].pick(english);
}

QString detectedText(bool detected, bool english)
{
    return (detected ? t::Detected : t::NotDetected).pick(english);
}

QStringList heading(bool english)
{
    QStringList out;
    for (const BiText& h :
         {t::HeadWhen, t::HeadHandset, t::HeadValue, t::HeadDetected, t::HeadDriver, t::HeadVehicle,
          t::HeadPhase, t::HeadChecker, t::HeadMethod, t::HeadInstructions, t::HeadRemarks,
          t::HeadRecorded, t::HeadRecordedBy})
        out << h.pick(english);
    return out;
}

QStringList fields(const BookRow& row, bool english, const QString& snHead)
{
    QStringList out{shownDateTime(row.key.date), handsetText(row, snHead), row.value};
    if (!row.record) {
        while (out.size() < 13)
            out << QString();
        return out;
    }
    const Entry& e = row.record->entry;
    out << detectedText(e.detected, english) << e.driver << e.vehicle << phaseText(e.phase, english)
        << e.checker << methodText(e.method, english) << e.instructions << e.remarks
        << shownDateTime(row.record->recordedAt) << row.record->recordedBy;
    return out;
}

QString handsetText(const BookRow& row, const QString& snHead)
{
    return row.unitName.isEmpty() ? snHead + row.key.unitSn : row.unitName;
}

QString shownDateTime(const QString& stored)
{
    QString out = stored;
    return out.replace(QLatin1Char('-'), QLatin1Char('/'));
}

} // namespace check_records
