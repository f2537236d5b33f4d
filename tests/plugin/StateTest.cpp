#include "ProcessorFixture.h"

#include "presets/PresetSettings.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>
#include <tuple>
#include <vector>

using testsupport::ProcessorFixture;

namespace
{
juce::MemoryBlock saveState (MassDelayAudioProcessor& proc)
{
    juce::MemoryBlock blob;
    proc.getStateInformation (blob);
    return blob;
}

void restoreState (MassDelayAudioProcessor& proc, const juce::MemoryBlock& blob)
{
    proc.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
}

std::unique_ptr<juce::XmlElement> xmlOf (const juce::MemoryBlock& blob)
{
    return juce::AudioProcessor::getXmlFromBinary (blob.getData(), static_cast<int> (blob.getSize()));
}

juce::MemoryBlock blobOf (const juce::XmlElement& xml)
{
    juce::MemoryBlock blob;
    juce::AudioProcessor::copyXmlToBinary (xml, blob);
    return blob;
}

// The framework's envelope around any bytes, for texts no XmlElement writes.
juce::MemoryBlock blobOfBytes (const std::string& bytes)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt (static_cast<int> (bytes.size()) + 1);
    out.write (bytes.c_str(), bytes.size() + 1);
    return out.getMemoryBlock();
}

juce::MemoryBlock blobOfText (const juce::String& text)
{
    return blobOfBytes (text.toStdString());
}

// The good state's text with something put in right after the root's tag.
juce::MemoryBlock withInsideTheRoot (const juce::MemoryBlock& good, const juce::String& insert)
{
    const auto text = xmlOf (good)->toString();
    const auto rootEnd = text.indexOf (text.indexOf ("<Parameters"), ">") + 1;
    return blobOfText (text.substring (0, rootEnd) + insert + text.substring (rootEnd));
}

juce::String nestedElements (int depth)
{
    return juce::String::repeatedString ("<Deep>", depth) + juce::String::repeatedString ("</Deep>", depth);
}

std::vector<float> normalisedValues (const MassDelayAudioProcessor& proc)
{
    std::vector<float> out;
    for (const auto* p : proc.getParameters())
        out.push_back (p->getValue());
    return out;
}

void setNormalised (MassDelayAudioProcessor& proc, const char* id, float value)
{
    proc.getValueTreeState().getParameter (id)->setValueNotifyingHost (value);
}

float rawValue (MassDelayAudioProcessor& proc, const char* id)
{
    return proc.getValueTreeState().getRawParameterValue (id)->load();
}

void setRaw (MassDelayAudioProcessor& proc, const char* id, float value)
{
    auto* p = proc.getValueTreeState().getParameter (id);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

// Every parameter at a random value of its own (on its interval, switches
// fully on or off), as a host or the editor would set it.
void scramble (MassDelayAudioProcessor& proc, juce::Random& rng)
{
    for (auto* p : proc.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        ranged->setValueNotifyingHost (ranged->convertTo0to1 (ranged->convertFrom0to1 (rng.nextFloat())));
    }
}

// Points the program's folder (settings file and default preset folder) at
// a fresh temporary folder for one test, then back.
struct ScopedProgramFolder
{
    juce::TemporaryFile temp;
    juce::File previous = presets::programFolder();
    juce::File folder = temp.getFile();

    ScopedProgramFolder()
    {
        folder.createDirectory();
        presets::setProgramFolderOverride (folder);
    }
    ~ScopedProgramFolder() { presets::setProgramFolderOverride (previous); }
};

// New processors apply the default patch of the settings file while alive.
struct ScopedDefaultPatchAtStartup
{
    ScopedDefaultPatchAtStartup() { MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (true); }
    ~ScopedDefaultPatchAtStartup() { MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false); }
};
} // namespace

//==============================================================================
TEST (StateRoundTrip, RestoresParametersSeedsMatrixFlagsAndLayout)
{
    juce::Random rng (42);
    MassDelayAudioProcessor source;
    scramble (source, rng);
    source.rerollLfoSeeds();
    for (const auto& e : RandomMatrixState::entries)
        source.getRandomMatrix().setEnabled (e.id, rng.nextBool());
    source.getAccordionLayout().setExpanded ("TAPE", false);
    source.getAccordionLayout().setExpanded ("PITCH / CHORUS", false);
    const auto blob = saveState (source);

    MassDelayAudioProcessor target;
    const int generation = target.getPatchGeneration();
    restoreState (target, blob);

    const auto expected = normalisedValues (source);
    const auto got = normalisedValues (target);
    ASSERT_EQ (got.size(), 63u);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR (got[i], expected[i], 1e-6f) << source.getParameters()[static_cast<int> (i)]->getName (32);

    EXPECT_EQ (target.getTremLfoSeed(), source.getTremLfoSeed());
    EXPECT_EQ (target.getWaveLfoSeed(), source.getWaveLfoSeed());
    EXPECT_EQ (target.getPitchLfoSeed(), source.getPitchLfoSeed());
    EXPECT_NE (target.getWaveLfoSeed(), 0x5EED0001u);

    for (const auto& e : RandomMatrixState::entries)
        EXPECT_EQ (target.getRandomMatrix().isEnabled (e.id), source.getRandomMatrix().isEnabled (e.id)) << e.id;

    for (const auto* title : AccordionLayoutState::sectionTitles)
        EXPECT_EQ (target.getAccordionLayout().isExpanded (title), source.getAccordionLayout().isExpanded (title));
    EXPECT_FALSE (target.getAccordionLayout().isExpanded ("TAPE"));
    EXPECT_TRUE (target.getAccordionLayout().isExpanded ("WAVE"));

    // A restore is a whole-state change and starts a new history.
    EXPECT_EQ (target.getPatchGeneration(), generation + 1);
    EXPECT_EQ (target.getRandomHistory().size(), 1);

    // Saving the restored state gives the same state again.
    MassDelayAudioProcessor third;
    restoreState (third, saveState (target));
    EXPECT_EQ (normalisedValues (third), normalisedValues (target));
}

TEST (StateRoundTrip, PingPongSetWithItsAmountAloneSurvives)
{
    // The editor's ping-pong slider sets ppW only; ppOn stays off.
    MassDelayAudioProcessor source;
    setRaw (source, "ppW", 40.0f);
    ASSERT_LT (rawValue (source, "ppOn"), 0.5f);

    MassDelayAudioProcessor target;
    restoreState (target, saveState (source));
    EXPECT_NEAR (rawValue (target, "ppW"), 40.0f, 1e-4f);
}

struct OlderStateCase
{
    const char* what;
    float ppOn;
    float ppW;
    float expectedPpW;
};

class StateOlderFormat : public ::testing::TestWithParam<OlderStateCase>
{};

TEST_P (StateOlderFormat, KeepsPingPongOnlyWhereItsSwitchWasOn)
{
    const auto& c = GetParam();
    MassDelayAudioProcessor source;
    setRaw (source, "ppOn", c.ppOn);
    setRaw (source, "ppW", c.ppW);
    auto xml = xmlOf (saveState (source));
    ASSERT_NE (xml, nullptr);
    ASSERT_TRUE (xml->hasAttribute (MassDelayAudioProcessor::stateFormatProperty));
    xml->removeAttribute (MassDelayAudioProcessor::stateFormatProperty);

    MassDelayAudioProcessor target;
    restoreState (target, blobOf (*xml));
    EXPECT_NEAR (rawValue (target, "ppW"), c.expectedPpW, 1e-4f);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (States, StateOlderFormat, ::testing::Values (
    OlderStateCase { "switch off clears the depth", 0.0f, 40.0f, 0.0f },
    OlderStateCase { "switch on keeps the depth", 1.0f, 40.0f, 40.0f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (StateRestore, AStateWithoutSeedsMatrixOrLayoutKeepsTheCurrentOnes)
{
    MassDelayAudioProcessor source;
    setRaw (source, "g", 33.0f);
    auto xml = xmlOf (saveState (source));
    for (const auto* child : { "SeedState", "RandomMatrix", "AccordionLayout" })
        xml->deleteAllChildElementsWithTagName (child);

    MassDelayAudioProcessor target;
    target.rerollLfoSeeds();
    const auto seeds = std::make_tuple (target.getTremLfoSeed(), target.getWaveLfoSeed(), target.getPitchLfoSeed());
    target.getRandomMatrix().setEnabled ("hp", true);
    target.getRandomMatrix().setEnabled ("g", false);
    target.getAccordionLayout().setExpanded ("WAVE", false);

    restoreState (target, blobOf (*xml));

    EXPECT_NEAR (rawValue (target, "g"), 33.0f, 1e-4f);
    EXPECT_EQ (std::make_tuple (target.getTremLfoSeed(), target.getWaveLfoSeed(), target.getPitchLfoSeed()), seeds);
    EXPECT_TRUE (target.getRandomMatrix().isEnabled ("hp"));
    EXPECT_FALSE (target.getRandomMatrix().isEnabled ("g"));
    EXPECT_FALSE (target.getRandomMatrix().isEnabled ("mix"));
    EXPECT_FALSE (target.getAccordionLayout().isExpanded ("WAVE"));

    // The children are back in the state, so the next save holds them.
    const auto again = xmlOf (saveState (target));
    const auto* matrix = again->getChildByName ("RandomMatrix");
    ASSERT_NE (matrix, nullptr);
    EXPECT_EQ (matrix->getIntAttribute ("enabled_g", -1), 0);
    EXPECT_EQ (matrix->getIntAttribute ("enabled_hp", -1), 1);
    const auto* layout = again->getChildByName ("AccordionLayout");
    ASSERT_NE (layout, nullptr);
    EXPECT_EQ (layout->getIntAttribute ("expanded_WAVE", -1), 0);
}

//==============================================================================
struct BadBlobCase
{
    const char* what;
    std::function<juce::MemoryBlock (const juce::MemoryBlock& good)> make;
};

class StateBadBlob : public ::testing::TestWithParam<BadBlobCase>
{};

TEST_P (StateBadBlob, IsIgnoredAndTheCurrentStateStays)
{
    MassDelayAudioProcessor other;
    setRaw (other, "g", -75.0f);
    const auto blob = GetParam().make (saveState (other));

    MassDelayAudioProcessor proc;
    setRaw (proc, "g", 20.0f);
    setRaw (proc, "mix", 55.0f);
    const auto before = normalisedValues (proc);
    const auto seed = proc.getWaveLfoSeed();
    const int generation = proc.getPatchGeneration();

    proc.setStateInformation (blob.getSize() > 0 ? blob.getData() : nullptr, static_cast<int> (blob.getSize()));

    EXPECT_EQ (normalisedValues (proc), before);
    EXPECT_EQ (proc.getWaveLfoSeed(), seed);
    EXPECT_EQ (proc.getPatchGeneration(), generation);
    EXPECT_EQ (proc.getRandomHistory().size(), 1);
    EXPECT_TRUE (proc.getValueTreeState().state.getChildWithName ("RandomMatrix").isValid());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Blobs, StateBadBlob, ::testing::Values (
    BadBlobCase { "empty", [] (const juce::MemoryBlock&) { return juce::MemoryBlock(); } },
    BadBlobCase { "random bytes", [] (const juce::MemoryBlock&) {
        juce::Random rng (3);
        juce::MemoryBlock b (4096);
        for (size_t i = 0; i < b.getSize(); ++i)
            b[i] = static_cast<char> (rng.nextInt (256));
        return b; } },
    BadBlobCase { "truncated", [] (const juce::MemoryBlock& good) { return juce::MemoryBlock (good.getData(), good.getSize() / 2); } },
    BadBlobCase { "header only", [] (const juce::MemoryBlock& good) { return juce::MemoryBlock (good.getData(), 8); } },
    BadBlobCase { "another root tag", [] (const juce::MemoryBlock& good) {
        auto xml = xmlOf (good);
        xml->setTagName ("OtherPlugin");
        return blobOf (*xml); } },
    BadBlobCase { "plain XML text", [] (const juce::MemoryBlock&) {
        const juce::String text ("<Parameters><PARAM id=\"g\" value=\"-75\"/></Parameters>");
        return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()); } },
    // JUCE's reader goes round one loop for ever on this (found by fuzzing).
    BadBlobCase { "a processing instruction followed by text inside an element", [] (const juce::MemoryBlock& good) {
        return withInsideTheRoot (good, "<?pi data?>text"); } },
    // JUCE reads an overlong "r" and saves it back as a byte that is no
    // UTF-8, so the saved state would not restore (found by fuzzing).
    BadBlobCase { "an overlong UTF-8 form in a tag name", [] (const juce::MemoryBlock& good) {
        auto text = xmlOf (good)->toString().toStdString();
        text.replace (text.find ("<PARAM") + 4, 1, "\xc1\xb2");
        return blobOfBytes (text); } },
    BadBlobCase { "a UTF-16 surrogate written as UTF-8", [] (const juce::MemoryBlock& good) {
        auto text = xmlOf (good)->toString().toStdString();
        text.replace (text.find ("value=\"") + 7, 0, "\xed\xa0\x80");
        return blobOfBytes (text); } },
    BadBlobCase { "a processing instruction inside a tag", [] (const juce::MemoryBlock& good) {
        return withInsideTheRoot (good, "<Note a=\"1\" b<?pi data?>_c=\"2\"/>"); } },
    BadBlobCase { "a document type, whose entities could expand without end", [] (const juce::MemoryBlock& good) {
        return blobOfText ("<!DOCTYPE Parameters [<!ENTITY a \"b\">]>" + xmlOf (good)->toString (
            juce::XmlElement::TextFormat().withoutHeader())); } },
    BadBlobCase { "elements nested deeper than the reader's stack allows", [] (const juce::MemoryBlock& good) {
        return withInsideTheRoot (good, nestedElements (MassDelayAudioProcessor::maxStateNesting)); } },
    BadBlobCase { "a value left open at the end", [] (const juce::MemoryBlock& good) {
        const auto text = xmlOf (good)->toString();
        return blobOfText (text.substring (0, text.indexOf ("value=\"") + 8)); } }),
    testsupport::NameFromWhat());
// clang-format on

// The guard in front of JUCE's reader refuses only what a saved state never
// holds: nesting up to the limit, comments, and tag ends inside quoted values
// still load.
TEST (StateRestore, WellFormedExtrasStillLoad)
{
    MassDelayAudioProcessor other;
    setRaw (other, "g", -75.0f);
    const auto good = saveState (other);

    for (const auto& insert :
         { nestedElements (MassDelayAudioProcessor::maxStateNesting - 1), juce::String ("<!-- a comment <Deep> -->"),
           juce::String ("<Note text=\"a/>b>c\" other='<'/>") })
    {
        SCOPED_TRACE (insert.toStdString());
        MassDelayAudioProcessor proc;
        setRaw (proc, "g", 20.0f);
        restoreState (proc, withInsideTheRoot (good, insert));
        EXPECT_FLOAT_EQ (rawValue (proc, "g"), -75.0f);
    }
}

struct BadValueCase
{
    const char* what;
    const char* value;
    float expectedG; // raw; the current value is 20
};

class StateBadValue : public ::testing::TestWithParam<BadValueCase>
{};

TEST_P (StateBadValue, IsClampedOrIgnoredWithoutReachingTheParameter)
{
    MassDelayAudioProcessor source;
    setRaw (source, "mix", 42.0f);
    auto xml = xmlOf (saveState (source));
    for (auto* child : xml->getChildWithTagNameIterator ("PARAM"))
        if (child->getStringAttribute ("id") == "g")
            child->setAttribute ("value", GetParam().value);

    MassDelayAudioProcessor proc;
    setRaw (proc, "g", 20.0f);
    restoreState (proc, blobOf (*xml));

    const float g = rawValue (proc, "g");
    EXPECT_TRUE (std::isfinite (g));
    EXPECT_NEAR (g, GetParam().expectedG, 1e-4f);
    EXPECT_NEAR (rawValue (proc, "mix"), 42.0f, 1e-4f); // the rest of the state is restored
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Values, StateBadValue, ::testing::Values (
    BadValueCase { "in range", "-12.5", -12.5f },
    BadValueCase { "above range", "5000", 100.0f },
    BadValueCase { "below range", "-1e9", -100.0f },
    BadValueCase { "not a number", "nan", 20.0f },
    BadValueCase { "infinite", "inf", 20.0f },
    BadValueCase { "overflowing", "1e999", 20.0f },
    BadValueCase { "text", "loud", 20.0f },
    BadValueCase { "number with junk", "12abc", 20.0f },
    BadValueCase { "empty", "", 20.0f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (StateRestore, UnknownChildrenAndPropertiesStayInTheTree)
{
    MassDelayAudioProcessor source;
    setRaw (source, "e", 700.0f);
    auto xml = xmlOf (saveState (source));
    auto* extra = xml->createNewChildElement ("FutureFeature");
    extra->setAttribute ("level", 3);
    extra->createNewChildElement ("Nested")->setAttribute ("x", "y");
    xml->createNewChildElement ("PARAM")->setAttribute ("id", "noSuchParameter");
    xml->getChildByName ("SeedState")->setAttribute ("waveLfoSeed", "not a seed");

    MassDelayAudioProcessor proc;
    const auto waveSeed = proc.getWaveLfoSeed();
    restoreState (proc, blobOf (*xml));

    EXPECT_NEAR (rawValue (proc, "e"), 700.0f, 1e-4f);
    EXPECT_EQ (proc.getWaveLfoSeed(), waveSeed);
    EXPECT_EQ (proc.getTremLfoSeed(), source.getTremLfoSeed());
    const auto kept = proc.getValueTreeState().state.getChildWithName ("FutureFeature");
    ASSERT_TRUE (kept.isValid());
    EXPECT_EQ (static_cast<int> (kept.getProperty ("level")), 3);
    EXPECT_TRUE (kept.getChildWithName ("Nested").isValid());
}

//==============================================================================
TEST (StateSave, WritesSeedsAndTheFormatMarkIntoTheCopyOnly)
{
    MassDelayAudioProcessor proc;
    proc.rerollLfoSeeds();
    auto& live = proc.getValueTreeState().state;
    live.removeChild (live.getChildWithName ("SeedState"), nullptr);

    const auto xml = xmlOf (saveState (proc));
    ASSERT_NE (xml, nullptr);
    const auto* seeds = xml->getChildByName ("SeedState");
    ASSERT_NE (seeds, nullptr);
    EXPECT_EQ (seeds->getStringAttribute ("tremLfoSeed"), juce::String (proc.getTremLfoSeed()));
    EXPECT_EQ (seeds->getStringAttribute ("waveLfoSeed"), juce::String (proc.getWaveLfoSeed()));
    EXPECT_EQ (seeds->getStringAttribute ("pitchLfoSeed"), juce::String (proc.getPitchLfoSeed()));
    EXPECT_EQ (xml->getIntAttribute (MassDelayAudioProcessor::stateFormatProperty),
               MassDelayAudioProcessor::stateFormat);

    EXPECT_FALSE (live.getChildWithName ("SeedState").isValid());
    EXPECT_FALSE (live.hasProperty (MassDelayAudioProcessor::stateFormatProperty));
}

TEST (StateSave, SeedsAboveTwoToThe31SurviveAsNonNegativeNumbers)
{
    MassDelayAudioProcessor proc; // the tremolo seed 0xC0DEFADE is above 2^31
    const auto xml = xmlOf (saveState (proc));
    EXPECT_EQ (xml->getChildByName ("SeedState")->getStringAttribute ("tremLfoSeed"), "3235838686");

    MassDelayAudioProcessor other;
    other.rerollLfoSeeds();
    restoreState (other, blobOf (*xml));
    EXPECT_EQ (other.getTremLfoSeed(), 0xC0DEFADEu);
    EXPECT_EQ (other.getWaveLfoSeed(), 0x5EED0001u);
    EXPECT_EQ (other.getPitchLfoSeed(), 0x27D4EB2Fu);
}

// Some hosts save from a thread of their own while the user edits. Run under
// ThreadSanitizer (a -DTWIST_SANITIZE=thread build) this reports no race.
TEST (StateSave, ABackgroundSaveWhileTheMessageThreadEditsIsConsistent)
{
    ProcessorFixture f;
    auto& proc = *f.proc;
    std::atomic<bool> done { false };
    std::atomic<int> saves { 0 }, badSaves { 0 };

    std::thread saver ([&] {
        while (! done.load())
        {
            juce::MemoryBlock blob;
            proc.getStateInformation (blob);
            const auto xml = xmlOf (blob);
            if (xml == nullptr || ! xml->hasTagName ("Parameters") || xml->getChildByName ("SeedState") == nullptr
                || xml->getChildByName ("RandomMatrix") == nullptr)
                badSaves.fetch_add (1);
            saves.fetch_add (1);
        }
    });

    juce::Random rng (9);
    const auto& titles = AccordionLayoutState::sectionTitles;
    for (int i = 0; i < 150 || saves.load() < 20; ++i)
    {
        setNormalised (proc, "g", rng.nextFloat());
        setNormalised (proc, "tapCnt", rng.nextFloat());
        proc.rerollLfoSeeds();
        proc.getRandomMatrix().setEnabled (RandomMatrixState::entries[static_cast<size_t> (i) % 49].id, rng.nextBool());
        proc.getAccordionLayout().setExpanded (titles[static_cast<size_t> (i) % titles.size()], rng.nextBool());
        if (i % 10 == 0)
            proc.randomizeParameters (rng);
        if (i % 25 == 0)
            proc.randomStepBack();
    }
    done.store (true);
    saver.join();

    EXPECT_GE (saves.load(), 20);
    EXPECT_EQ (badSaves.load(), 0);
}

//==============================================================================
TEST (StatePatch, LoadsDefaultsThenTheKnownKeys)
{
    MassDelayAudioProcessor proc;
    setRaw (proc, "tapCnt", 8.0f);
    setRaw (proc, "pd", 500.0f);
    setRaw (proc, "mix", 10.0f);
    const int generation = proc.getPatchGeneration();
    proc.randomizeParameters();
    const int historySize = proc.getRandomHistory().size();

    presets::Patch patch { "Slap", "Live/Guitar", juce::JSON::parse (R"({ "chaos": 0.7, "g": 0.75, "mix": 0.5,
                                                                         "rev": 1.0, "cwT": 0.1 })") };
    proc.applyPatch (patch);

    EXPECT_NEAR (rawValue (proc, "g"), 50.0f, 1e-4f);
    EXPECT_NEAR (rawValue (proc, "mix"), 50.0f, 1e-4f);
    EXPECT_EQ (rawValue (proc, "rev"), 1.0f);
    EXPECT_EQ (rawValue (proc, "tapCnt"), 64.0f); // missing: default
    EXPECT_EQ (proc.getRequestedTapCount(), 64);  // and the listener heard it
    EXPECT_EQ (rawValue (proc, "pd"), 0.0f);
    EXPECT_EQ (proc.getCurrentPatchName(), "Slap");
    EXPECT_EQ (proc.getCurrentPatchFolder(), "Live/Guitar");
    EXPECT_EQ (proc.getPatchGeneration(), generation + 1);
    EXPECT_EQ (proc.getRandomHistory().size(), historySize); // preset loads push nothing

    // Every other parameter is at its default.
    for (const auto* p : proc.getParameters())
    {
        const auto& id = dynamic_cast<const juce::RangedAudioParameter*> (p)->getParameterID();
        if (id != "g" && id != "mix" && id != "rev")
        {
            EXPECT_NEAR (p->getValue(), p->getDefaultValue(), 1e-5f) << id;
        }
    }
}

struct PatchValueCase
{
    const char* what;
    juce::var value;
    float expectedMix; // raw; the default is 80
};

class StatePatchValue : public ::testing::TestWithParam<PatchValueCase>
{};

TEST_P (StatePatchValue, OnlyFiniteNumbersReachTheParameter)
{
    MassDelayAudioProcessor proc;
    juce::DynamicObject::Ptr params = new juce::DynamicObject();
    params->setProperty ("mix", GetParam().value);
    params->setProperty ("g", 0.25);
    proc.applyPatch (presets::Patch { "p", "", juce::var (params.get()) });

    EXPECT_NEAR (rawValue (proc, "mix"), GetParam().expectedMix, 1e-4f);
    EXPECT_NEAR (rawValue (proc, "g"), -50.0f, 1e-4f);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Values, StatePatchValue, ::testing::Values (
    PatchValueCase { "number", juce::var (0.3), 30.0f },
    PatchValueCase { "integer", juce::var (1), 100.0f },
    PatchValueCase { "boolean", juce::var (false), 0.0f },
    PatchValueCase { "above one", juce::var (7.5), 100.0f },
    PatchValueCase { "below zero", juce::var (-2), 0.0f },
    PatchValueCase { "NaN", juce::var (std::numeric_limits<double>::quiet_NaN()), 80.0f },
    PatchValueCase { "infinity", juce::var (std::numeric_limits<double>::infinity()), 80.0f },
    PatchValueCase { "text", juce::var ("0.3"), 80.0f },
    PatchValueCase { "array", juce::JSON::parse ("[0.3]"), 80.0f },
    PatchValueCase { "object", juce::JSON::parse (R"({ "v": 0.3 })"), 80.0f },
    PatchValueCase { "void", juce::var(), 80.0f }),
    testsupport::NameFromWhat());
// clang-format on

TEST (StatePatch, ParamsThatAreNotAnObjectLoadTheDefaults)
{
    for (const auto& params : { juce::var(), juce::JSON::parse ("[0.1, 0.2]"), juce::var ("g=0.5"), juce::var (3) })
    {
        MassDelayAudioProcessor proc;
        setRaw (proc, "g", 70.0f);
        proc.applyPatch (presets::Patch { "Empty", "", params });
        EXPECT_EQ (rawValue (proc, "g"), 0.0f);
        EXPECT_EQ (proc.getCurrentPatchName(), "Empty");
    }
}

TEST (StatePatch, CapturedValuesApplyBackExactly)
{
    juce::Random rng (5);
    MassDelayAudioProcessor source;
    scramble (source, rng);
    // As the user saves it: after the rules have settled the values (the
    // predelay on a synced start, a length on a round value), as a block
    // settles them.
    source.prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> block (2, 512);
    juce::MidiBuffer midi;
    source.processBlock (block, midi);
    const auto captured = source.captureParamsVar();

    // One property per parameter, by ID, in parameter order.
    const auto& props = captured.getDynamicObject()->getProperties();
    ASSERT_EQ (props.size(), 63);
    for (int i = 0; i < props.size(); ++i)
        EXPECT_EQ (props.getName (i).toString(),
                   dynamic_cast<juce::RangedAudioParameter*> (source.getParameters()[i])->getParameterID());

    MassDelayAudioProcessor target;
    target.applyPatch (presets::Patch { "Captured", "", captured });
    EXPECT_EQ (normalisedValues (target), normalisedValues (source));
}

TEST (StatePatch, SavedAsAPresetFileAndLoadedBackItIsTheSame)
{
    juce::Random rng (6);
    juce::TemporaryFile userDir;
    userDir.getFile().createDirectory();

    MassDelayAudioProcessor source;
    scramble (source, rng);
    presets::PresetLibrary library;
    library.setUserDir (userDir.getFile());
    const auto file =
        library.savePatchToFile (library.userFileFor ("Mine", "Round Trip"), "Round Trip", source.captureParamsVar());
    ASSERT_TRUE (file.existsAsFile());

    presets::PresetLibrary fresh;
    fresh.setUserDir (userDir.getFile());
    fresh.rescanUser();
    const auto* patch = fresh.findById ("Mine/Round Trip");
    ASSERT_NE (patch, nullptr);

    MassDelayAudioProcessor target;
    target.applyPatch (*patch);
    EXPECT_EQ (normalisedValues (target), normalisedValues (source));
    EXPECT_EQ (target.getCurrentPatchFolder(), "Mine");
}

//==============================================================================
TEST (StatePresetFolder, IsTheCustomFolderWhenItExistsElseTheDefault)
{
    ScopedProgramFolder program;
    const auto settings = presets::defaultSettingsFile();

    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getPresetDirectory(), program.folder.getChildFile ("Presets"));
    EXPECT_EQ (proc.getPresetLibrary().getUserDir(), program.folder.getChildFile ("Presets"));
    EXPECT_FALSE (program.folder.getChildFile ("Presets").exists()); // not created by asking

    juce::TemporaryFile custom;
    presets::setCustomPresetFolder (custom.getFile(), settings);
    EXPECT_EQ (proc.getPresetDirectory(), program.folder.getChildFile ("Presets")); // does not exist yet
    custom.getFile().createDirectory();
    EXPECT_EQ (proc.getPresetDirectory(), custom.getFile());
}

TEST (StateStartup, AppliesTheDefaultPatchFromTheSettingsFile)
{
    ScopedProgramFolder program;
    ScopedDefaultPatchAtStartup startupPatch;
    const auto presetsDir = program.folder.getChildFile ("Presets");
    presetsDir.getChildFile ("Live/Mine.json").create();
    presetsDir.getChildFile ("Live/Mine.json")
        .replaceWithText (R"({ "name": "Mine", "params": { "g": 0.9, "tapCnt": 0.238095 } })");
    presetsDir.getChildFile ("favorites.txt").replaceWithText ("Live/Mine");
    presets::setDefaultPatchId ("Live/Mine", presets::defaultSettingsFile());

    testsupport::TestPlayHead playHead;
    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getCurrentPatchName(), "Mine");
    EXPECT_EQ (proc.getCurrentPatchFolder(), "Live");
    EXPECT_NEAR (rawValue (proc, "g"), 80.0f, 1e-4f);
    EXPECT_EQ (proc.getRequestedTapCount(), 16);
    EXPECT_TRUE (proc.getPresetLibrary().isFavorite ("Live/Mine"));

    // The start-up state is the first history entry, with the seeds in it.
    EXPECT_EQ (proc.getRandomHistory().size(), 1);
    const auto seeds = proc.getValueTreeState().state.getChildWithName ("SeedState");
    ASSERT_TRUE (seeds.isValid());
    EXPECT_EQ (static_cast<juce::int64> (seeds.getProperty ("waveLfoSeed")), juce::int64 { 0x5EED0001 });

    // Nothing had played, so the first block does not fade the start-up patch in.
    proc.setPlayHead (&playHead);
    proc.prepareToPlay (48000.0, 256);
    juce::AudioBuffer<float> buffer (2, 256);
    buffer.clear();
    juce::MidiBuffer midi;
    proc.processBlock (buffer, midi);
    EXPECT_EQ (proc.getSnapPhase(), MassDelayAudioProcessor::SnapPhase::Idle);
}

TEST (StateStartup, FallsBackToInitPatchWhenTheStoredIdIsGone)
{
    ScopedProgramFolder program;
    ScopedDefaultPatchAtStartup startupPatch;
    presets::setDefaultPatchId ("Live/Deleted", presets::defaultSettingsFile());

    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getCurrentPatchName(), "INIT PATCH");
    EXPECT_EQ (proc.getCurrentPatchFolder(), "Traditional");
    // Values of INIT PATCH: synced eighths, fully wet, 31.9 % falloff.
    EXPECT_EQ (rawValue (proc, "mu"), 1.0f);
    EXPECT_EQ (rawValue (proc, "lk"), 1.0f);
    EXPECT_NEAR (rawValue (proc, "mix"), 100.0f, 1e-4f);
    EXPECT_NEAR (rawValue (proc, "dcFall"), 31.91f, 0.01f);
    EXPECT_NEAR (rawValue (proc, "s"), 416.67f, 0.01f);
    EXPECT_NEAR (rawValue (proc, "mout"), 0.0f, 0.05f);
}

TEST (StateStartup, WithoutSettingsTheFactoryInitPatchLoads)
{
    ScopedProgramFolder program;
    ScopedDefaultPatchAtStartup startupPatch;
    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getCurrentPatchName(), "INIT PATCH");
    EXPECT_EQ (proc.getPresetLibrary().getFactoryCount(), 111u);
    EXPECT_FALSE (presets::defaultSettingsFile().exists()); // start-up writes nothing
}
