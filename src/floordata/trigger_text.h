#pragma once
// Trigger texts: the vocabulary of trigger types and commands and the description of one
// trigger as the "Trigger Details" lines show it.

#include <string>
#include <vector>

#include "floordata/floor_data.h"

namespace qavel {

// Text of a trigger type ("SWITCH IS ON", ...; "Unknown!!!!" from 14 on).
std::string TriggerTypeText(uint32_t trigger_type);

// The seven-character flags text of a trigger setup word: bits 9..13, "-", bits 14 and 15.
std::string TriggerFlagsText(uint16_t setup);

// Four upper-case hexadecimal digits.
std::string Hex4(uint16_t value);

// The flag word of camera index (byte 14 of its record), or nothing when the level has no
// such camera.
std::optional<uint16_t> CameraFlagWord(const Ttrlevel& level, uint32_t camera);

// Lines describing function k of group g: type, timer, flags, one-shot, trigger item, the
// commands header and one or two lines per command. Empty when (g, k) is no trigger.
// Item names come from names (see ObjectNames); a camera command naming a camera the level
// does not have shows "none" in place of the flag word.
std::vector<std::string> DescribeTrigger(const Ttrlevel& level, const FloorData& fd, uint32_t g,
                                         size_t k, const ObjectNames& names);

// Entries of the trigger-type list of the search (ComboBox2); entry i >= 1 is type i - 1.
const std::vector<std::string>& TriggerTypeSearchEntries();
// Entries of the command list of the search (ComboBox3); entry i >= 1 is command i - 1.
const std::vector<std::string>& CommandSearchEntries();

}  // namespace qavel
