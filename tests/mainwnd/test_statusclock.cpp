#include "core/fieldtexts.h"
#include "core/timezones.h"
#include "framefixture.h"
#include "platform/oledate.h"

namespace {

QDateTime g_now;

QString TimeText(int hour)
{
    const QDateTime wall(QDate(2026, 1, 15), QTime(hour, 0));
    return QString::fromStdString(FormatTime(DateFromQDateTime(wall), 0));
}

class StatusClockTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        SetClockForTesting([] { return g_now; });
        while (m_dataMan->GetCount(DMK_TIME_ZONE) > 0)
            m_dataMan->RemoveAt(DMK_TIME_ZONE, 0);
        for (const char* id : {"Asia/Tokyo", "Australia/Sydney"}) {
            auto entry = std::make_unique<TimeZoneEntry>();
            ASSERT_TRUE(FillZoneRecord(id, 2026, *entry));
            entry->m_strName = id;
            m_dataMan->Add(std::move(entry));
        }
    }
    void TearDown() override
    {
        SetClockForTesting(nullptr);
        FrameTest::TearDown();
    }
};

}  // namespace

TEST_F(StatusClockTest, ClockFollowsDaylightSavingAndForgetsDeletedLocations)
{
    g_now = QDateTime(QDate(2026, 1, 15), QTime(0, 0), Qt::UTC);
    Frame().SetStatusTimeZone(1);
    EXPECT_TRUE(Frame().ClockText().contains(QStringLiteral("Australia/Sydney")));
    EXPECT_TRUE(Frame().ClockText().contains(TimeText(11)));
    // Half a year on, the same location is on standard time, with no new
    // choice of zone.
    g_now = QDateTime(QDate(2026, 7, 15), QTime(0, 0), Qt::UTC);
    EXPECT_TRUE(Frame().ClockText().contains(TimeText(10)));

    // The location shown is deleted: the clock finds the remaining one.
    m_dataMan->RemoveAt(DMK_TIME_ZONE, 1);
    Frame().SetStatusTimeZone(-1);
    EXPECT_TRUE(Frame().ClockText().contains(QStringLiteral("Asia/Tokyo")));
    EXPECT_TRUE(Frame().ClockText().contains(TimeText(9)));
    Frame().SetStatusTimeZone(0);
    EXPECT_TRUE(m_dataMan->GetAt<TimeZoneEntry>(0)->m_dwFlags & TZ_UNDEFINED);
}
