# The window's texts: the built-in ones in five languages, lang.ini's and the
# language the registry names.
list(APPEND SKIVOL_CORE_SOURCES
  texts/UiTexts.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  texts/UiTexts_win.cpp
)
