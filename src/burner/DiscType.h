#pragma once

// Kind of disc a burn project makes; the values are the indexes of the
// wizard's disc type choice.
enum class DiscType : int
{
    Dvd = 0,
    DualLayerDvd = 1,
    Vcd = 2,
    Svcd = 3,
};

inline bool isDvdType(DiscType type)
{
    return type == DiscType::Dvd || type == DiscType::DualLayerDvd;
}
