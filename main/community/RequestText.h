// The texts a request puts into its URL path, and the form its URL takes in the log.
#pragma once

#include <string>

// An e-mail address as one path segment: every byte a path segment does not allow (RFC 3986:
// all but letters, digits, "-._~!$&'()*+,;=:@") as "%XX"; an ordinary address stays unchanged.
std::string EscapePathSegment(const std::string& text);

// The version text with every blank as "%20" and nothing else changed.
std::string EscapeBlanks(const std::string& text);

// The URL with the value of every "/pwd/" segment hidden, for log lines.
std::string MaskPassword(const std::string& url);
