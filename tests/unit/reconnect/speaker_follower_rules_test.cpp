#include <gtest/gtest.h>

#include "unit/reconnect/follower_scene.h"

namespace tonvera::testing {
namespace {

// What each change of the outputs leads to, by what the person asked for last.
TEST(SpeakerFollowerRulesTest, EachChangeOfTheOutputsByWhatThePersonAskedForLast) {
    struct Row {
        const char* what;
        const char* picked;  // the output picked by hand; nullptr: the ranking
        bool followAlways;
        bool keepSound;
        const char* above;           // the output ranked above the preferred one; "" none
        const char *before, *after;  // internal names, as offer() takes them
        const char* playing;
        const char* decision;  // the one decision logged; "" for none
    };
    const std::vector<Row> rows = {
        {"ranking: the preferred output appears while following", nullptr, true, false, "", "room*",
         "room* raop1", "raop1", "Arbeitszimmer appeared — switching back from Wohnzimmer"},
        {"ranking: the preferred output appears, not following", nullptr, false, true, "", "room*",
         "room* raop1", "room", ""},
        {"ranking: a lower entry appears", nullptr, true, false, "", "kitchen*", "kitchen* room",
         "kitchen", ""},
        {"ranking: an output above the preferred one appears, at any time", nullptr, false, false,
         "Kopfhörer", "raop1*", "raop1* phones", "phones",
         "Kopfhörer appeared — selecting it (1st above Arbeitszimmer)"},
        {"ranking: an output above the preferred one takes the sound itself", nullptr, false, true,
         "Kopfhörer", "raop1*", "raop1 phones*", "phones", ""},
        {"ranking: a new output takes the sound, kept from it", nullptr, false, true, "",
         "kitchen*", "kitchen hdmi*", "kitchen",
         "HDMI took the sound when it appeared — back to Küche Radio"},
        {"ranking: a new output takes the sound, not kept from it", nullptr, true, false, "",
         "kitchen*", "kitchen hdmi*", "hdmi", ""},
        {"ranking: the playing output goes away while following", nullptr, true, false, "",
         "kitchen* room hdmi", "room hdmi*", "room",
         "Küche Radio went away — selecting Wohnzimmer (2nd in the list)"},
        {"ranking: the playing output above the preferred one goes away", nullptr, false, false,
         "Kopfhörer", "phones* raop1 hdmi", "raop1 hdmi*", "raop1",
         "Kopfhörer went away — selecting Arbeitszimmer"},
        {"ranking: the playing output goes away, not following", nullptr, false, true, "",
         "kitchen* room hdmi", "room hdmi*", "hdmi", ""},
        {"ranking: a switch to an output that was there", nullptr, true, false, "", "room* kitchen",
         "room kitchen*", "kitchen",
         "Küche Radio was picked by hand — left as it is until the next wake"},
        {"pick: the preferred output appears", "Küche Radio", true, false, "", "kitchen*",
         "kitchen* raop1", "kitchen", ""},
        {"pick: an output above the preferred one appears", "Küche Radio", false, false,
         "Kopfhörer", "kitchen*", "kitchen* phones", "kitchen", ""},
        {"pick: it goes away", "Küche Radio", true, true, "", "kitchen* raop1 hdmi", "raop1 hdmi*",
         "hdmi", ""},
        {"pick: it comes back without the sound", "Küche Radio", true, false, "", "raop1* hdmi",
         "raop1* hdmi kitchen", "kitchen", "Küche Radio is back — selecting it again"},
        {"pick: it comes back with the sound", "Küche Radio", false, true, "", "hdmi*",
         "hdmi kitchen*", "kitchen", ""},
        {"pick: a new output takes the sound, kept from it", "Küche Radio", false, true, "",
         "raop1 kitchen*", "raop1 kitchen hdmi*", "kitchen",
         "HDMI took the sound when it appeared — back to Küche Radio"},
        {"pick: a new output takes the sound, not kept from it", "Küche Radio", true, false, "",
         "kitchen*", "kitchen hdmi*", "hdmi", ""},
        {"pick: the output playing instead goes away", "Küche Radio", true, false, "",
         "kitchen hdmi* room", "kitchen room*", "kitchen", "HDMI went away — back to Küche Radio"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Scene scene;
        scene.outputs->set(offer(row.before));  // what the watch finds when it opens
        if (*row.above != '\0') {
            scene.settings->setPriorityOutputs({row.above});
        }
        scene.settings->setKeepSoundFromNewOutputs(row.keepSound);
        scene.settings->setConnectWhenSpeakerAppears(row.followAlways);
        if (row.picked != nullptr) {
            scene.intent->pick(row.picked, Intent::Source::handPick);
        }
        scene.drain();
        scene.log->clear();
        scene.show(offer(row.after));
        EXPECT_EQ(scene.playing(), row.playing);
        const std::string decision = row.decision;
        EXPECT_EQ(scene.decisions(),
                  decision.empty() ? std::vector<std::string>{} : std::vector{decision});
    }
}

}  // namespace
}  // namespace tonvera::testing
