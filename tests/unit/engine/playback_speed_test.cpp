// Playback speed: the steps ] and [ take from any speed, and what the player
// record does with a speed on the scripted framework, its note written out.
#include <gtest/gtest.h>

#include "engine/playback_speed.h"
#include "support/scripted_player.h"

namespace tavimo {
namespace {

TEST(PlaybackSpeedTest, KeysStepFromAnySpeed) {
    struct Row {
        const char* name;
        double from;
        bool faster;
        double to;
    } rows[] = {
        {"] from normal", 1.0, true, 1.1},
        {"[ from normal", 1.0, false, 0.9},
        {"] from 1.5", 1.5, true, 2.0},
        {"[ from 3", 3.0, false, 2.0},
        {"] at the fastest stays", 4.0, true, 4.0},
        {"[ at the slowest stays", 0.25, false, 0.25},
        {"] from a bus client's 1.3 goes to the next step up", 1.3, true, 1.5},
        {"[ from 1.3 goes to the next step down", 1.3, false, 1.25},
        {"] from a step that went through a float is past it", double(1.1f), true, 1.25},
        {"[ from just above 0.9 is below it", 0.9000001, false, 0.75},
        {"[ from beyond the fastest", 6.0, false, 4.0},
        {"] from below the slowest", 0.1, true, 0.25},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(row.faster ? FasterSpeed(row.from) : SlowerSpeed(row.from), row.to);
    }
}

using Player = test::ScriptedPlayer;

// The speed the graph plays at afterwards, the one the record keeps and the
// note: a speed is clamped to the steps' range, and a refused one changes
// neither the graph nor the record.
TEST(PlaybackSpeedTest, RecordKeepsTheSpeedTheGraphHolds) {
    Player p;
    p.record.SetSpeed(2.0);
    EXPECT_EQ(p.record.Speed, 1.0) << "no clip: nothing to speed up";
    EXPECT_EQ(p.Note(), "");

    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    const auto graphRate = [&] {
        double rate = 0;
        p.record.pMS->GetRate(&rate);
        return rate;
    };
    struct Row {
        const char* name;
        double asked;
        bool refused;
        double played;  // the graph's rate afterwards
        double held;
        const char* note;
    } rows[] = {
        {"a step", 1.5, false, 1.5, 1.5, "Speed: 1.5\u00d7"},
        {"beyond the fastest is the fastest", 9.0, false, 4.0, 4.0, "Speed: 4\u00d7"},
        {"below the slowest is the slowest", 0.01, false, 0.25, 0.25, "Speed: 0.25\u00d7"},
        {"refused: the speed before stays, and the note says so", 2.0, true, 0.25, 0.25,
         "Speed: 0.25\u00d7"},
        {"not a number changes nothing", std::nan(""), false, 0.25, 0.25, "Speed: 0.25\u00d7"},
        {"a bus client's speed: the note in two decimals", 1.333, false, 1.333, 1.333,
         "Speed: 1.33\u00d7"},
        {"one decimal", 0.9, false, 0.9, 0.9, "Speed: 0.9\u00d7"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        p.media.script.failures.clear();
        if (row.refused)
            p.media.script.failures["SetRate"] = E_FAIL;
        p.record.SetSpeed(row.asked);
        EXPECT_EQ(graphRate(), row.played);
        EXPECT_EQ(p.record.Speed, row.held);
        EXPECT_EQ(p.Note(), row.note);
    }

    p.media.script.failures.clear();
    ASSERT_TRUE(p.Open("/clips/b.mp4"));
    EXPECT_EQ(p.record.Speed, 1.0) << "another clip starts at normal speed";
    EXPECT_EQ(graphRate(), 1.0);
    EXPECT_EQ(p.Note(), "");
}

}  // namespace
}  // namespace tavimo
