#include "HostileInput.h"
#include "KelvanorPluginTestSupport.h"

namespace
{
struct Chain
{
    int first, last, bank;
    int firstPattern() const { return first + 8 * bank; }
};

/** A session saved with these switches while editing a pattern the chain does not start with. */
struct SavedSession
{
    const char* name;
    bool sequencer, host, write, follow;
    Chain chain;
    int edited;
    bool transportPlaying; // the host plays while it restores the session
    int expectedEdited;
};

/** The instance's own chunk with the session's switches, chain and edited pattern written into it. */
juce::MemoryBlock sessionChunk (HostedPlugin& plugin, const SavedSession& s)
{
    const auto document = chunkDocument (plugin.getChunk());
    auto* sequencer = document->getChildByName ("InternalSequencer");
    const std::pair<const char*, bool> switches[] = {
        {"IntSeq", s.sequencer}, {"HostMode", s.host}, {"PattWriteMode", s.write}, {"AutoFollow", s.follow}};
    for (const auto& [tag, on] : switches)
        sequencer->getChildByName (tag)->setAttribute ("state", on ? "on" : "off");

    auto* edition = sequencer->getChildByName ("EditionState");
    edition->getChildByName ("EditedPattern")->setAttribute ("value", s.edited);
    auto* chain = edition->getChildByName ("ChainPatterns");
    chain->setAttribute ("first", s.chain.first);
    chain->setAttribute ("last", s.chain.last);
    chain->setAttribute ("bank", s.chain.bank);

    const auto frame = makeStateFrame (document->toString().toStdString());
    return juce::MemoryBlock (frame.data(), frame.size());
}

/** The edited pattern and the chain a chunk holds. */
std::array<int, 4> editionIn (const juce::MemoryBlock& chunk)
{
    const auto document = chunkDocument (chunk);
    const auto* edition = document->getChildByName ("InternalSequencer")->getChildByName ("EditionState");
    const auto* chain = edition->getChildByName ("ChainPatterns");
    return {edition->getChildByName ("EditedPattern")->getIntAttribute ("value"),
            chain->getIntAttribute ("first"), chain->getIntAttribute ("last"),
            chain->getIntAttribute ("bank")};
}
} // namespace

// A session restored with the sequencer off or stopped edits the pattern its next start plays, the chain's
// first; one restored while the sequencer plays keeps the pattern saved, or with FOLLOW lit the one playing.
TEST (KelvanorSessionRestore, EditsThePatternTheSequencerPlaysNext)
{
    const Chain unset{0, 0, 0}, bank2Last{7, 7, 2}, bank1Last{7, 7, 1}, bank0{2, 4, 0}, bank1{3, 5, 1};
    // name, sequencer, host, write, follow, chain, edited, transport playing, edited after the restore
    const SavedSession sessions[] = {
        {"sequencer off, write", false, false, true, false, bank2Last, 22, false, 23},
        {"sequencer off, host, follow", false, true, false, true, unset, 36, false, 0},
        {"host, follow", true, true, false, true, bank1Last, 36, false, 15},
        {"host", true, true, false, false, bank0, 61, false, 2},
        {"write", true, false, true, false, bank1, 22, false, 11},
        {"write, follow", true, false, true, true, unset, 5, false, 0},
        {"play, follow", true, false, false, true, bank2Last, 22, false, 23},
        {"write, on the chain already", true, false, true, false, bank1, 11, false, 11},
        {"write, playing", true, false, true, false, bank1, 22, true, 22},
        {"write, follow, playing", true, false, true, true, bank1, 22, true, 0},
        {"play, playing", true, false, false, true, bank1, 22, true, 0},
        {"sequencer off, write, playing", false, false, true, false, bank1, 22, true, 11},
    };

    ScopedPluginHome home;
    for (const auto& s : sessions)
    {
        // The session reopens in a fresh instance; while the host plays, the sequencer runs its first
        // pattern, 0.
        const auto plugin = openKelvanor (44100.0, 512, s.transportPlaying);
        plugin->process (512);
        const auto saved = sessionChunk (*plugin, s);

        plugin->setChunk (saved);
        plugin->process (512);
        const auto restored = plugin->getChunk();
        const auto edition = editionIn (restored);
        EXPECT_EQ (edition, (std::array{s.expectedEdited, s.chain.first, s.chain.last, s.chain.bank}))
            << s.name << ", saved editing " << s.edited << ", chain from " << s.chain.firstPattern();

        plugin->setChunk (restored);
        plugin->process (512);
        EXPECT_EQ (editionIn (plugin->getChunk()), edition) << s.name << ", restored a second time";
    }
}
