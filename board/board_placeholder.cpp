// Keeps the folder's source list non-empty until its first class lands.
