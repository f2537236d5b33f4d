// The processor's state: the host's state blob, preset patches, the LFO
// seeds, the Random action and its history, and the start-up sequence.

#include "plugin/PluginProcessor.h"

#include "presets/PresetSettings.h"
#include "presets/StrictUtf8.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace
{
constexpr const char* seedStateType = "SeedState";
constexpr const char* tremSeedKey = "tremLfoSeed";
constexpr const char* waveSeedKey = "waveLfoSeed";
constexpr const char* pitchSeedKey = "pitchLfoSeed";

std::atomic<bool>& defaultPatchAtStartup()
{
    static std::atomic<bool> flag { true };
    return flag;
}

// A finite number from a JSON value: numbers and booleans only.
std::optional<double> numberFromJson (const juce::var& v)
{
    if (! (v.isInt() || v.isInt64() || v.isDouble() || v.isBool()))
        return std::nullopt;
    const auto d = static_cast<double> (v);
    return std::isfinite (d) ? std::optional<double> (d) : std::nullopt;
}

// A finite number from a state property: a number, or text that is a whole
// decimal number and nothing else (properties read back from XML are text).
std::optional<double> numberFromState (const juce::var& v)
{
    if (! v.isString())
        return numberFromJson (v);

    const auto text = v.toString().trim();
    if (! text.containsAnyOf ("0123456789"))
        return std::nullopt;

    // The whole text is the number (JUCE's own reader overflows an int on a
    // long exponent, so it never sees stored text).
    const auto utf8 = text.toStdString();
    const char* first = utf8.c_str();
    const char* last = first + utf8.size();
    if (*first == '+')
        ++first;
    double d = 0.0;
    const auto [end, error] = std::from_chars (first, last, d);
    if (error != std::errc() || end != last || ! std::isfinite (d))
        return std::nullopt;
    return d;
}

// The low 32 bits of a stored seed.
std::optional<std::uint32_t> seedFromState (const juce::var& v)
{
    const auto d = numberFromState (v);
    if (! d.has_value() || std::abs (*d) >= 9.0e18)
        return std::nullopt;
    const auto whole = static_cast<std::int64_t> (*d);
    return static_cast<std::uint32_t> (static_cast<std::uint64_t> (whole) & 0xFFFFFFFFu);
}

std::uint32_t drawSeed (std::uint64_t salt)
{
    const auto r = static_cast<std::uint64_t> (juce::Random::getSystemRandom().nextInt64());
    return static_cast<std::uint32_t> ((r ^ salt) & 0xFFFFFFFFu);
}

// XML allows an attribute once per element, but JUCE's reader keeps every
// copy of a repeated one, and the tree built from it would then save other
// values than the parameters took. The first copy counts, as for any reader
// that looks the attribute up by name.
void keepFirstOfEachAttribute (juce::XmlElement& element)
{
    juce::StringArray seen;
    juce::StringPairArray repeated;
    for (int i = 0; i < element.getNumAttributes(); ++i)
    {
        const auto name = element.getAttributeName (i);
        if (seen.contains (name))
        {
            if (! repeated.containsKey (name))
                repeated.set (name, element.getStringAttribute (name));
        }
        else
        {
            seen.add (name);
        }
    }
    for (const auto& name : repeated.getAllKeys())
    {
        while (element.hasAttribute (name))
            element.removeAttribute (name);
        element.setAttribute (name, repeated[name]);
    }
    for (auto* child : element.getChildIterator())
        keepFirstOfEachAttribute (*child);
}

// Whether the XML text is one JUCE's reader gets through safely. Inside an
// element, a processing instruction followed by text sends it round the same
// loop for ever, so none is allowed after the header; a document type could
// define entities that expand without end, so none is allowed at all. The
// reader also recurses once per nested element: elements may nest maxDepth
// deep. Tags are followed as the reader follows them: "/>" or ">" ends a tag
// outside its quoted values, "</" closes an element. Anything left open at
// the end (a tag, a value, a comment) is refused too: a saved state is
// always whole.
bool xmlReadable (const juce::String& text, int maxDepth)
{
    auto p = text.getCharPointer();
    p.incrementToEndOfWhitespace();
    if (p.compareUpTo (juce::CharPointer_ASCII ("<?xml"), 5) == 0)
    {
        const auto headerEnd = p.indexOf (juce::CharPointer_ASCII ("?>"));
        if (headerEnd < 0)
            return false;
        p += headerEnd + 2;
    }

    const auto skipPast = [&p] (const char* end) {
        const auto at = p.indexOf (juce::CharPointer_ASCII (end));
        if (at < 0)
            return false;
        p += at + static_cast<int> (std::strlen (end));
        return true;
    };

    int depth = 0;
    while (! p.isEmpty())
    {
        if (p.getAndAdvance() != '<')
            continue;
        if (p.compareUpTo (juce::CharPointer_ASCII ("!--"), 3) == 0)
        {
            if (! skipPast ("-->"))
                return false;
            continue;
        }
        if (p.compareUpTo (juce::CharPointer_ASCII ("![CDATA["), 8) == 0)
        {
            if (! skipPast ("]]>"))
                return false;
            continue;
        }
        if (*p == '?' || *p == '!')
            return false;
        if (*p == '/')
        {
            --depth;
            if (! skipPast (">"))
                return false;
            continue;
        }

        if (++depth > maxDepth)
            return false;
        // Inside the tag: a quote may only open a value after "=", and no
        // "<" may start anything (the reader would skip a processing
        // instruction there and lose its place).
        for (bool afterEquals = false;;)
        {
            if (p.isEmpty())
                return false;
            const auto t = p.getAndAdvance();
            if (t == '"' || t == '\'')
            {
                const char quote[] = { static_cast<char> (t), 0 };
                if (! afterEquals || ! skipPast (quote))
                    return false;
            }
            else if (t == '<')
            {
                return false;
            }
            else if (t == '>')
            {
                break;
            }
            else if (t == '/' && *p == '>')
            {
                p.getAndAdvance();
                --depth;
                break;
            }
            if (! juce::CharacterFunctions::isWhitespace (t))
                afterEquals = t == '=';
        }
    }
    return true;
}
} // namespace

//==============================================================================
std::unique_ptr<juce::XmlElement> MassDelayAudioProcessor::xmlFromStateBlob (const void* data, int sizeInBytes)
{
    constexpr std::uint32_t envelopeMagic = 0x21324356;
    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != envelopeMagic)
        return {};
    const auto declared = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));
    const auto length = juce::jmin (sizeInBytes - 8, declared);
    const auto* utf8 = static_cast<const char*> (data) + 8;

    // A broken UTF-8 sequence can send the XML reader past the end of the
    // text, so such text is refused before it is read.
    if (length <= 0 || ! presets::isStrictUtf8 (utf8, length))
        return {};
    const auto text = juce::String::fromUTF8 (utf8, length);
    if (! xmlReadable (text, maxStateNesting))
        return {};
    return juce::parseXML (text);
}

void MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (bool shouldApply)
{
    defaultPatchAtStartup().store (shouldApply);
}

void MassDelayAudioProcessor::runStartupSequence()
{
    presetLibrary.loadFactoryFromBinaryData();
    const auto& all = presetLibrary.getPatches();
    factoryPrograms.assign (all.begin(), all.begin() + static_cast<std::ptrdiff_t> (presetLibrary.getFactoryCount()));

    // Until a factory patch is applied, hosts see the init patch as current
    // (the fallback default patch, the nearest to the parameter defaults).
    for (std::size_t i = 0; i < factoryPrograms.size(); ++i)
        if (factoryPrograms[i].id() == presets::fallbackPatchId)
            currentProgram.store (static_cast<int> (i));

    presetLibrary.setUserDir (getPresetDirectory());
    presetLibrary.rescanUser();
    presetLibrary.loadFavorites();

    if (defaultPatchAtStartup().load())
        if (const auto* patch = presets::resolveDefaultPatch (presetLibrary, presets::defaultSettingsFile()))
            applyPatchValues (*patch, false);

    syncSeedsToState();
    randomHistory.clear();
    pushRandomGeneration();

    // Nothing has played yet, so the start-up patch needs no snap.
    engine.markGenerationSeen (patchGeneration.load (std::memory_order_acquire));
}

juce::File MassDelayAudioProcessor::getPresetDirectory() const
{
    return presets::userPresetDirectory (presets::defaultSettingsFile());
}

//==============================================================================
void MassDelayAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // Hosts may save from any thread: the live tree is only copied here, and
    // the seeds and the format mark go into the copy.
    juce::ValueTree state;
    {
        const juce::ScopedLock sl (stateLock);
        state = apvts.copyState();
    }
    writeSeedsInto (state);
    state.setProperty (stateFormatProperty, stateFormat, nullptr);
    const auto program = static_cast<std::size_t> (getCurrentProgram());
    if (program < factoryPrograms.size())
        state.setProperty (programProperty, factoryPrograms[program].id(), nullptr);

    if (auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

void MassDelayAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;

    const auto xml = xmlFromStateBlob (data, sizeInBytes);
    if (xml == nullptr || ! xml->hasTagName (apvts.state.getType().toString()))
        return;
    keepFirstOfEachAttribute (*xml);

    auto newState = juce::ValueTree::fromXml (*xml);
    if (! newState.isValid())
        return;

    sanitiseParameterValues (newState);
    const bool olderFormat = ! newState.hasProperty (stateFormatProperty);

    const juce::SpinLock::ScopedLockType wholeState (wholeStateLock);
    {
        const juce::ScopedLock sl (stateLock);
        const auto replaced = apvts.state;
        apvts.replaceState (newState);

        // A state without the matrix or the layout keeps the current ones.
        const auto matrix = newState.getChildWithName (RandomMatrixState::childType);
        const auto oldMatrix = replaced.getChildWithName (RandomMatrixState::childType);
        if (! matrix.isValid() && oldMatrix.isValid())
            newState.appendChild (oldMatrix.createCopy(), nullptr);
        randomMatrix.replaceFrom (randomMatrix.getState());

        const auto layout = newState.getChildWithName (AccordionLayoutState::childType);
        const auto oldLayout = replaced.getChildWithName (AccordionLayoutState::childType);
        if (! layout.isValid() && oldLayout.isValid())
            newState.appendChild (oldLayout.createCopy(), nullptr);
        accordionLayout.replaceFrom (accordionLayout.getState());
    }

    // Older builds played ping-pong only with its switch on; no control of
    // this build sets the switch, so the rule applies to their states only.
    if (olderFormat && apvts.getRawParameterValue (params::id::pingPong)->load() < 0.5f)
        if (auto* depth = apvts.getParameter (params::id::pingPongAmount))
            depth->setValueNotifyingHost (0.0f);

    readSeedsFromState();
    resetDSPState();
    patchGeneration.fetch_add (1, std::memory_order_acq_rel);
    rules.forgetSwitches();

    // The program the state was saved with, when it is one of ours; the
    // state itself stays as restored.
    const auto programId = newState.getProperty (programProperty).toString();
    for (std::size_t i = 0; i < factoryPrograms.size(); ++i)
        if (programId.isNotEmpty() && factoryPrograms[i].id() == programId)
            currentProgram.store (static_cast<int> (i));

    randomHistory.clear();
    pushRandomGeneration();
}

void MassDelayAudioProcessor::sanitiseParameterValues (juce::ValueTree& state) const
{
    // A value that is not a finite number keeps the parameter's current
    // value; the others are clamped to the parameter's range.
    static const juce::Identifier paramType ("PARAM");
    static const juce::Identifier idKey ("id");
    static const juce::Identifier valueKey ("value");

    for (auto child : state)
    {
        if (! child.hasType (paramType) || ! child.hasProperty (valueKey))
            continue;

        auto* param = apvts.getParameter (child.getProperty (idKey).toString());
        if (param == nullptr)
            continue;

        const auto& range = param->getNormalisableRange();
        const auto value = numberFromState (child.getProperty (valueKey));
        const auto rawValue = value.has_value() ? juce::jlimit (static_cast<double> (range.start),
                                                                static_cast<double> (range.end), *value)
                                                : static_cast<double> (range.convertFrom0to1 (param->getValue()));
        child.setProperty (valueKey, rawValue, nullptr);
    }
}

void MassDelayAudioProcessor::keepCurrentMixIn (juce::ValueTree& state) const
{
    static const juce::Identifier idKey ("id");
    static const juce::Identifier valueKey ("value");

    for (auto child : state)
    {
        const auto id = child.getProperty (idKey).toString();
        if (! isMixLockedParameter (id))
            continue;
        if (const auto* value = apvts.getRawParameterValue (id))
            child.setProperty (valueKey, static_cast<double> (value->load()), nullptr);
    }
}

void MassDelayAudioProcessor::replaceWholeState (const juce::ValueTree& newState)
{
    const juce::ScopedLock sl (stateLock);
    apvts.replaceState (newState);
}

//==============================================================================
bool MassDelayAudioProcessor::isMixLocked()
{
    return presets::getMixLock (presets::defaultSettingsFile());
}

void MassDelayAudioProcessor::setMixLocked (bool locked)
{
    presets::setMixLock (locked, presets::defaultSettingsFile());
}

bool MassDelayAudioProcessor::isMixLockedParameter (const juce::String& parameterId)
{
    return parameterId == params::id::mix || parameterId == params::id::mixBypass;
}

void MassDelayAudioProcessor::applyPatch (const presets::Patch& patch)
{
    applyPatchValues (patch, isMixLocked());
}

void MassDelayAudioProcessor::applyPatchValues (const presets::Patch& patch, bool keepMix)
{
    const int previous = currentProgram.load();
    const int program = setParametersFromPatch (patch, keepMix);

    // The host's program display follows a factory patch picked here.
    if (program >= 0 && program != previous)
        updateHostDisplay (ChangeDetails().withProgramChanged (true));
}

int MassDelayAudioProcessor::setParametersFromPatch (const presets::Patch& patch, bool keepMix)
{
    const juce::SpinLock::ScopedLockType wholeState (wholeStateLock);
    {
        const juce::SpinLock::ScopedLockType sl (patchNameLock);
        currentPatchName = patch.name;
        currentPatchFolder = patch.folder;
    }

    // Locked parameters are never touched, not even for a moment: a host
    // would record the detour through the default as automation.
    const auto settable = [keepMix] (const juce::AudioProcessorParameter* param) {
        const auto* ranged = dynamic_cast<const juce::RangedAudioParameter*> (param);
        return ranged != nullptr && ! (keepMix && isMixLockedParameter (ranged->getParameterID()));
    };

    for (auto* param : getParameters())
        if (settable (param))
            param->setValueNotifyingHost (param->getDefaultValue());

    if (auto* values = patch.params.getDynamicObject())
    {
        for (const auto& property : values->getProperties())
        {
            auto* param = apvts.getParameter (property.name.toString());
            const auto value = numberFromJson (property.value);
            if (param != nullptr && settable (param) && value.has_value())
                param->setValueNotifyingHost (static_cast<float> (juce::jlimit (0.0, 1.0, *value)));
        }
    }

    // What the rules would write at the next block is written now, as part
    // of the patch: a loaded preset is settled, and the host hears of no
    // change after the load but the preset's own.
    ParameterRules::settle (ruleAccess, getLastTempo());
    rules.forgetSwitches();

    resetDSPState();
    patchGeneration.fetch_add (1, std::memory_order_acq_rel);

    const int program = factoryProgramOf (patch);
    if (program >= 0)
        currentProgram.store (program);
    appliedPatchCount.fetch_add (1, std::memory_order_acq_rel);
    return program;
}

int MassDelayAudioProcessor::factoryProgramOf (const presets::Patch& patch) const
{
    // The factory patch itself, or a copy of it: same id, same values object.
    // A user preset that overrides a factory id is not the factory patch.
    for (std::size_t i = 0; i < factoryPrograms.size(); ++i)
        if (factoryPrograms[i].params.getDynamicObject() == patch.params.getDynamicObject()
            && factoryPrograms[i].id() == patch.id())
            return static_cast<int> (i);
    return -1;
}

void MassDelayAudioProcessor::setCurrentPatch (const juce::String& name, const juce::String& folder)
{
    // A host may apply a program on its own thread at the same moment.
    const juce::SpinLock::ScopedLockType sl (patchNameLock);
    currentPatchName = name;
    currentPatchFolder = folder;
}

juce::String MassDelayAudioProcessor::getCurrentPatchName() const
{
    const juce::SpinLock::ScopedLockType sl (patchNameLock);
    return currentPatchName;
}

juce::String MassDelayAudioProcessor::getCurrentPatchFolder() const
{
    const juce::SpinLock::ScopedLockType sl (patchNameLock);
    return currentPatchFolder;
}

//==============================================================================
int MassDelayAudioProcessor::getNumPrograms()
{
    return juce::jmax (1, static_cast<int> (factoryPrograms.size()));
}

int MassDelayAudioProcessor::getCurrentProgram()
{
    const int pending = pendingProgram.load();
    return pending >= 0 ? pending : currentProgram.load();
}

const juce::String MassDelayAudioProcessor::getProgramName (int index)
{
    if (! juce::isPositiveAndBelow (index, static_cast<int> (factoryPrograms.size())))
        return {};
    return factoryPrograms[static_cast<std::size_t> (index)].name;
}

void MassDelayAudioProcessor::setCurrentProgram (int index)
{
    if (! juce::isPositiveAndBelow (index, static_cast<int> (factoryPrograms.size())))
        return;

    // Hosts choose programs on the thread they restore states on, which does
    // whole-state work here as setStateInformation does. From inside
    // processBlock it waits for the message thread instead.
    if (processingThread.load (std::memory_order_relaxed) == std::this_thread::get_id())
    {
        pendingProgram.store (index);
        return;
    }

    pendingProgram.store (-1);
    setParametersFromPatch (factoryPrograms[static_cast<std::size_t> (index)], isMixLocked());
}

void MassDelayAudioProcessor::applyPendingProgram()
{
    const int index = pendingProgram.exchange (-1);
    if (juce::isPositiveAndBelow (index, static_cast<int> (factoryPrograms.size())))
        setParametersFromPatch (factoryPrograms[static_cast<std::size_t> (index)], isMixLocked());
}

juce::var MassDelayAudioProcessor::captureParamsVar() const
{
    juce::DynamicObject::Ptr values = new juce::DynamicObject();
    for (const auto* param : getParameters())
        if (const auto* ranged = dynamic_cast<const juce::RangedAudioParameter*> (param))
            values->setProperty (ranged->getParameterID(), static_cast<double> (ranged->getValue()));
    return juce::var (values.get());
}

//==============================================================================
void MassDelayAudioProcessor::writeSeedsInto (juce::ValueTree& state) const
{
    auto seeds = state.getOrCreateChildWithName (seedStateType, nullptr);
    seeds.setProperty (tremSeedKey, static_cast<juce::int64> (tremLfoSeed.load()), nullptr);
    seeds.setProperty (waveSeedKey, static_cast<juce::int64> (waveLfoSeed.load()), nullptr);
    seeds.setProperty (pitchSeedKey, static_cast<juce::int64> (pitchLfoSeed.load()), nullptr);
}

void MassDelayAudioProcessor::syncSeedsToState()
{
    const juce::ScopedLock sl (stateLock);
    writeSeedsInto (apvts.state);
}

void MassDelayAudioProcessor::readSeedsFromState()
{
    const auto seeds = apvts.state.getChildWithName (seedStateType);
    if (! seeds.isValid())
        return;

    const auto read = [&seeds] (const char* key, std::atomic<std::uint32_t>& seed) {
        if (const auto value = seedFromState (seeds.getProperty (key)))
            seed.store (*value);
    };
    read (tremSeedKey, tremLfoSeed);
    read (waveSeedKey, waveLfoSeed);
    read (pitchSeedKey, pitchLfoSeed);
}

void MassDelayAudioProcessor::rerollTremLfoSeed()
{
    tremLfoSeed.store (drawSeed (0x9E3779B9u));
    syncSeedsToState();
}

void MassDelayAudioProcessor::rerollWaveLfoSeed()
{
    waveLfoSeed.store (drawSeed (0x85EBCA6Bu));
    syncSeedsToState();
}

void MassDelayAudioProcessor::rerollPitchLfoSeed()
{
    pitchLfoSeed.store (drawSeed (0x27D4EB2Fu));
    syncSeedsToState();
}

void MassDelayAudioProcessor::rerollLfoSeeds()
{
    rerollTremLfoSeed();
    rerollWaveLfoSeed();
    rerollPitchLfoSeed();
}

void MassDelayAudioProcessor::setLfoSeeds (std::uint32_t tremSeed, std::uint32_t waveSeed, std::uint32_t pitchSeed)
{
    tremLfoSeed.store (tremSeed);
    waveLfoSeed.store (waveSeed);
    pitchLfoSeed.store (pitchSeed);
    syncSeedsToState();
}

//==============================================================================
void MassDelayAudioProcessor::randomizeParameters (juce::Random& rng)
{
    const bool keepMix = isMixLocked();
    // Switches the dice flip are the new reference, never a conversion.
    const juce::SpinLock::ScopedLockType wholeState (wholeStateLock);
    rules.forgetSwitches();
    for (const auto& entry : RandomMatrixState::entries)
    {
        if (! randomMatrix.isEnabled (entry.id) || (keepMix && isMixLockedParameter (entry.id)))
            continue;

        auto* param = apvts.getParameter (entry.id);
        if (param == nullptr)
            continue;

        if (dynamic_cast<juce::AudioParameterBool*> (param) != nullptr)
        {
            param->setValueNotifyingHost (rng.nextFloat() > 0.5f ? 1.0f : 0.0f);
        }
        else if (auto* integer = dynamic_cast<juce::AudioParameterInt*> (param))
        {
            const auto range = integer->getRange();
            const int value = range.getStart() + rng.nextInt (range.getLength() + 1);
            param->setValueNotifyingHost (integer->convertTo0to1 (static_cast<float> (value)));
        }
        else
        {
            param->setValueNotifyingHost (rng.nextFloat());
        }
    }

    rerollLfoSeeds();
    pushRandomGeneration();
}

void MassDelayAudioProcessor::pushRandomGeneration()
{
    const juce::ScopedLock sl (stateLock);
    writeSeedsInto (apvts.state);
    randomHistory.push (apvts.copyState());
}

void MassDelayAudioProcessor::randomStepBack()
{
    if (! randomHistory.canStepBack())
        return;

    restoreHistoryEntry (randomHistory.stepBack());
}

void MassDelayAudioProcessor::randomStepForward()
{
    if (! randomHistory.canStepForward())
        return;

    restoreHistoryEntry (randomHistory.stepForward());
}

void MassDelayAudioProcessor::restoreHistoryEntry (const juce::ValueTree& entry)
{
    if (! entry.isValid())
        return;

    auto newState = entry.createCopy();
    if (isMixLocked())
        keepCurrentMixIn (newState);
    const juce::SpinLock::ScopedLockType wholeState (wholeStateLock);
    replaceWholeState (newState);
    readSeedsFromState();
    resetDSPState();
    patchGeneration.fetch_add (1, std::memory_order_acq_rel);
    rules.forgetSwitches();
}
