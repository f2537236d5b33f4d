// The processor's state: the host's state blob, preset patches, the LFO
// seeds, the Random action and its history, and the start-up sequence.

#include "plugin/PluginProcessor.h"

#include "presets/PresetSettings.h"

#include <cmath>
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

    auto p = text.getCharPointer();
    const double d = juce::CharacterFunctions::readDoubleValue (p);
    if (! p.isEmpty() || ! std::isfinite (d))
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
} // namespace

//==============================================================================
void MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (bool shouldApply)
{
    defaultPatchAtStartup().store (shouldApply);
}

void MassDelayAudioProcessor::runStartupSequence()
{
    presetLibrary.loadFactoryFromBinaryData();
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

    if (auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

void MassDelayAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;

    // The framework's envelope holds a length and UTF-8 text. Text that is
    // not valid UTF-8 is refused before the XML reader sees it: a broken
    // sequence can send that reader past the end of the text (a fuzzed blob
    // kept it busy for longer than 20 s).
    if (sizeInBytes > 8)
    {
        const auto declared = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));
        const auto length = juce::jmin (sizeInBytes - 8, declared);
        if (length > 0 && ! juce::CharPointer_UTF8::isValidString (static_cast<const char*> (data) + 8, length))
            return;
    }

    const auto xml = getXmlFromBinary (data, sizeInBytes);
    if (xml == nullptr || ! xml->hasTagName (apvts.state.getType().toString()))
        return;

    auto newState = juce::ValueTree::fromXml (*xml);
    if (! newState.isValid())
        return;

    sanitiseParameterValues (newState);
    const bool olderFormat = ! newState.hasProperty (stateFormatProperty);

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
    currentPatchName = patch.name;
    currentPatchFolder = patch.folder;

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

    resetDSPState();
    patchGeneration.fetch_add (1, std::memory_order_acq_rel);
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
    replaceWholeState (newState);
    readSeedsFromState();
    resetDSPState();
    patchGeneration.fetch_add (1, std::memory_order_acq_rel);
}
