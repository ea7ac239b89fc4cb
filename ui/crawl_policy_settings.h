#pragma once
// The crawl policy kept in the per-user settings (organisation and application "Vorlane", group
// "Crawling"). Missing or unreadable values read as the defaults, numbers out of range are pulled in.

#include "crawl/crawl_policy.h"
#include <QString>

CrawlPolicy LoadCrawlPolicy();
// Empty on success, otherwise why the settings could not be written.
QString SaveCrawlPolicy(const CrawlPolicy& policy);
