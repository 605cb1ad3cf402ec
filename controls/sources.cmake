# UI components: skinned controls, the key capture dialog and key tables, the
# magnifier.
list(APPEND SKIVOL_CORE_SOURCES
)
list(APPEND SKIVOL_WIN_SOURCES
)
