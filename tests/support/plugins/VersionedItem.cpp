// An item library for the item-list tests: it carries nothing but its version strings.
