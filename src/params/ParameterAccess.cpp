#include "params/ParameterAccess.h"

#include <cmath>

float ParameterAccess::raw (const char* id) const
{
    if (auto* v = apvts.getRawParameterValue (id))
        return v->load();
    return 0.0f;
}

bool ParameterAccess::write (const char* id, float value)
{
    return set (id, value, true);
}

bool ParameterAccess::writeInGesture (const char* id, float value)
{
    return set (id, value, false);
}

bool ParameterAccess::writeByRule (const char* id, float value)
{
    return set (id, value, false);
}

bool ParameterAccess::set (const char* id, float value, bool ownGesture)
{
    auto* param = apvts.getParameter (id);
    if (param == nullptr || ! std::isfinite (value))
        return false;

    // The comparison is made where the parameter keeps its value: after the
    // range's clamping and snapping, in the normalised domain. A target
    // beyond the range therefore matches the range end once it is there.
    const float normalised = param->convertTo0to1 (value);
    if (normalised == param->getValue())
        return false;

    if (ownGesture)
        param->beginChangeGesture();
    param->setValueNotifyingHost (normalised);
    if (ownGesture)
        param->endChangeGesture();
    return true;
}
