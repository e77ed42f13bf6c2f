mergeInto(LibraryManager.library, {});
