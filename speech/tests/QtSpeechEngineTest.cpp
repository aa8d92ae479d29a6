// The system's speech engine when what it needs is missing: it must say so,
// never crash, and take every command as a no-op. Speech itself is heard only
// in the end-to-end check with a private speech service.
#include "speech/QtSpeechEngine.h"

#include <gtest/gtest.h>

TEST(QtSpeechEngineTest, AnEngineThatIsNotInstalledIsUnavailableWithAReason)
{
    QtSpeechEngine engine(QStringLiteral("no-such-engine"));
    int finished = 0, failed = 0;
    engine.Finished = [&] { ++finished; };
    engine.Failed = [&](const QString&) { ++failed; };
    EXPECT_FALSE(engine.Available());
    EXPECT_TRUE(engine.Reason().contains(QStringLiteral("no-such-engine")));
    engine.SetVoice(QStringLiteral("nl"));
    engine.SetRate(0.5);
    engine.Say(QStringLiteral("Niets."));
    engine.Pause();
    engine.Resume();
    engine.Stop();
    EXPECT_TRUE(engine.Voices().isEmpty());
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(failed, 0);
    // Asking again does not try again.
    EXPECT_FALSE(engine.Available());
}
