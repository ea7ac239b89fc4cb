// Anchor for the fixtures library; the fixtures themselves live in their own files.
