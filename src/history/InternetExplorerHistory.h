// Internet Explorer traces: visited pages, temporary files and cookies of the
// URL cache, and the typed URLs of the current user, listed and deleted; and
// the rows of the Internet Explorer sections (RegisterInternetExplorerSections).
#pragma once

#include "common/StopToken.h"
#include "history/HistorySink.h"

#include <string>
#include <vector>

namespace history {

// Every operation tests the mask against the whole source URL name, prefix
// ("Visited:", "Cookie:") included, or against a typed URL's data; an invalid
// mask raises MaskError before anything is read. A typed-URL value that
// is not a string (REG_SZ or REG_EXPAND_SZ) is no typed URL: every operation
// passes it over, never deletes it, and goes on with the values after it.

enum class IETraceKind { VisitedPages, TemporaryFiles, Cookies, TypedUrls };

// Reports each trace of the kind to the sink as soon as it is found, in the
// enumeration order: its shown text as the caption and, for a cache entry,
// its whole source URL name as the row's source (typed URLs have none). A
// stop is seen at every entry walked, fitting or not, and ends the walk.
void CollectInternetExplorerTraces(IETraceKind kind, IHistorySink& sink, const std::string& mask,
                                   common::StopToken stop = {});

// Collectors: append shown texts in enumeration order; a null list does nothing.
void CollectVisitedPages(std::vector<std::string>* results, const std::string& mask);
void CollectTemporaryFiles(std::vector<std::string>* results, const std::string& mask);
void CollectCookies(std::vector<std::string>* results, const std::string& mask);
void CollectTypedUrls(std::vector<std::string>* results, const std::string& mask);

// Single-item deletes: 0 done; DeleteCacheEntryByName gives 2 when no entry matched.
// DeleteCacheEntryByName deletes every entry whose source URL name equals the
// given name, case ignored (visited pages: "Visited: " + shown text; cookies:
// "Cookie: " + shown text; temporary files: the shown text). DeleteTypedUrl
// deletes the first value, in value-name order, whose data equals the shown
// text (its data without blanks at the ends), case ignored; 0 also when none did.
int DeleteCacheEntryByName(const std::string& sourceUrlName);
int DeleteTypedUrl(const std::string& shownText);
// Every entry of the class (visited pages, temporary files or cookies) whose
// shown text equals the row's, case ignored, whatever blanks its name holds
// after the prefix (real cookie entries are "Cookie:user@host/", without the
// blank a name rebuilt from the row would have). 2 when none matched.
int DeleteListedCacheEntry(IETraceKind kind, const std::string& shownText);
// What the list's Delete of a cache row runs: the entries named as the row's
// source, case ignored; when none is (or the row has no source), the entries
// of the class showing the row's text. 2 when neither found one.
int DeleteCacheRow(IETraceKind kind, const HistoryRow& row);

// Delete-all: every entry (value) of the class whose whole source name (data)
// fits the mask.
// DeleteAllVisitedPages gives 0, or the system error code of the last
// deletion that failed; the others give 0 (failed deletions are passed over).
// DeleteAllTypedUrls leaves the key and the other values' names as they are.
int DeleteAllVisitedPages(const std::string& mask);
int DeleteAllTemporaryFiles(const std::string& mask);
int DeleteAllCookies(const std::string& mask);
int DeleteAllTypedUrls(const std::string& mask);

}  // namespace history
