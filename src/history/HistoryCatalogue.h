// The history section catalogue: the effective mask and the delete commands'
// failure texts. Pure text: no window. The tree's nodes and what each section
// lists, deletes and asks are the registered rows (HistorySectionRow.h).
#pragma once

#include <cstddef>
#include <string>

namespace history {

// The mask every lister and every Delete All receives: "*" unless "Use
// Mask:" is ticked and the text is not empty; the text as typed with "Whole
// Word"; otherwise the text with a star added at each end that lacks one.
std::string EffectiveMask(bool useMask, const std::string& text, bool wholeWord);

// Delete's result code for a file that really lies outside its section's
// folder (a link to a file elsewhere): it was left alone.
constexpr int kFileOutsideFolder = 5001;

// The failure box text of Delete All for a result code other than 0;
// systemText: the system's message for the code.
std::string DeleteAllFailureText(int code, const std::string& systemText);
// The failure box text of Delete for a result code other than 0.
std::string DeleteFailureText(int code, const std::string& itemText, const std::string& systemText);
// Delete's result codes that name the item instead of the system's text.
bool DeleteFailureNamesItem(int code);
// The question Delete All asks where the section can only be cleared whole
// and the mask shows shown of its whole items.
std::string WholeClearQuestion(size_t shown, size_t whole, const std::string& caption);
// The box text of a Delete All that left count files alone because they
// lie outside the section's folder.
std::string LeftOutsideText(size_t count);

}  // namespace history
