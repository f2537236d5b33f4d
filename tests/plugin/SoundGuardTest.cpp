// The sound of every factory preset, held to fingerprints stored in the
// repository. A change of sound fails here; when it is intended, record the
// fingerprints again with scripts/record-fingerprints.sh and say so.
#include "PresetFingerprint.h"

#include <gtest/gtest.h>

namespace
{
const std::map<std::string, testsupport::Fingerprint>& stored()
{
    static const auto fingerprints = testsupport::readFingerprintFile (TWIST_FINGERPRINT_FILE);
    return fingerprints;
}

class SoundGuard : public ::testing::TestWithParam<std::size_t>
{};

std::string caseName (const ::testing::TestParamInfo<std::size_t>& info)
{
    std::string name = std::to_string (info.param) + "_";
    for (char c : testsupport::factoryBank().getPatches()[info.param].id().toStdString())
        name += std::isalnum (static_cast<unsigned char> (c)) ? c : '_';
    return name;
}
} // namespace

TEST_P (SoundGuard, FactoryPresetSoundsAsRecorded)
{
    const auto& patch = testsupport::factoryBank().getPatches()[GetParam()];
    const auto id = patch.id().toStdString();

    const auto it = stored().find (id);
    ASSERT_NE (it, stored().end()) << "no stored fingerprint for \"" << id
                                   << "\"; record them with scripts/record-fingerprints.sh";

    const auto now = testsupport::fingerprintPatch (patch);
    EXPECT_EQ (now.hash, it->second.hash)
        << "\"" << id << "\" sounds different: " << testsupport::describeDifference (it->second, now);
}

TEST (SoundGuardFile, HoldsEveryFactoryPresetOnce)
{
    EXPECT_EQ (stored().size(), testsupport::factoryBank().getPatches().size());
}

INSTANTIATE_TEST_SUITE_P (FactoryBank, SoundGuard,
                          ::testing::Range (std::size_t { 0 }, testsupport::factoryBank().getPatches().size()),
                          caseName);
