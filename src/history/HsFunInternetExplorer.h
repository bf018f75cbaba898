// Internet Explorer traces: visited pages, temporary files and cookies of the
// URL cache, and the typed URLs of the current user, listed and deleted.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Every operation tests the mask against the whole source URL name, prefix
// ("Visited:", "Cookie:") included, or against a typed URL's data; an invalid
// mask raises EMaskException before anything is read. A typed-URL value that
// is not a string raises ERegistryException "Invalid data type for '<name>'"
// and stops the operation (what was listed or deleted before it stays).

// Collectors: append shown texts in enumeration order; a null list does nothing.
void CollectVisitedPages(std::vector<std::string>* results, const std::string& mask);
void CollectTemporaryFiles(std::vector<std::string>* results, const std::string& mask);
void CollectCookies(std::vector<std::string>* results, const std::string& mask);
void CollectTypedUrls(std::vector<std::string>* results, const std::string& mask);

// The same walks, handing each shown text to the sink as soon as it is found,
// so a caller can pass them on in batches while the walk goes on.
enum class TIETraceKind { VisitedPages, TemporaryFiles, Cookies, TypedUrls };
using TTraceSink = std::function<void(std::string&& shownText)>;
// everyEntry, when given, runs for every entry walked, fitting or not: a
// worker checks its stop request there and raises to end the walk.
void CollectInternetExplorerTraces(TIETraceKind kind, const TTraceSink& sink, const std::string& mask,
                                   const std::function<void()>& everyEntry = {});

// Single-item deletes: 0 done; DeleteCacheEntryByName gives 2 when no entry matched.
// DeleteCacheEntryByName deletes every entry whose source URL name equals the
// given name, case ignored (visited pages: "Visited: " + shown text; cookies:
// "Cookie: " + shown text; temporary files: the shown text). DeleteTypedUrl
// deletes the first value, in value-name order, whose data equals the shown
// text (its data without blanks at the ends), case ignored; 0 also when none did.
int DeleteCacheEntryByName(const std::string& sourceUrlName);
int DeleteTypedUrl(const std::string& shownText);
// What the list's Delete uses: every entry of the class (visited pages,
// temporary files or cookies) whose shown text equals the row's, case
// ignored, whatever blanks its name holds after the prefix (real cookie
// entries are "Cookie:user@host/", without the blank a name rebuilt from
// the row would have). 2 when none matched.
int DeleteListedCacheEntry(TIETraceKind kind, const std::string& shownText);

// Delete-all: every entry (value) of the class whose whole source name (data)
// fits the mask.
// DeleteAllVisitedPages gives 0, or the system error code of the last
// deletion that failed; the others give 0 (failed deletions are passed over).
// DeleteAllTypedUrls leaves the key and the other values' names as they are.
int DeleteAllVisitedPages(const std::string& mask);
int DeleteAllTemporaryFiles(const std::string& mask);
int DeleteAllCookies(const std::string& mask);
int DeleteAllTypedUrls(const std::string& mask);
