// Syntax of the configuration language. Entry rules: registryFile, unitFile, projFile for
// the three file kinds and assignment for one assignment text. The rule order fixes the rule
// indices and the order of the visitor's operations, so rules are only ever added at the end.
parser grammar RilkTopParser;

options { tokenVocab = CommonLexer; }

registryFile        : rilkRegistry EOF ;
unitFile            : rilkUnit EOF ;
projFile            : rilkProject EOF ;
path                : STRING ;
url                 : STRING ;
uri                 : path | url ;
rilkRegistry        : projects? build_tools? ;
project             : IDENTIFIER uri ;
projects            : PROJECTS_STR LBRACE project* RBRACE ;
comment             : LINE_COMMENT | BLOCK_COMMENT ;
bool_operator       : EQUALS | NEQUALS | GREATER | LESSER ;
bool_expr           : identifier (bool_operator valueNode)? ;
condition           : IF_STR bool_expr ;
context             : LBRACE (assignment | comment | cond_context)* RBRACE ;
cond_context        : condition context ;
identifier          : segment (DOT segment)* ;
segment             : IDENTIFIER index* ;
index               : LSQUARE indexExpr RSQUARE ;
regex               : RAW_STRING ;
range               : NUMBER COLON NUMBER ;
indexExpr           : NUMBER | range | regex | identifier ;
valueNode           : STRING | RAW_STRING | PATH_STRING | identifier | NUMBER | list | context ;
list                : LSQUARE (valueNode (COMMA valueNode)*)? RSQUARE ;
assignment          : assignment_modifier? IDENTIFIER (assign_operator valueNode)? ;
assignment_modifier : UP | MUST ;
assign_operator     : EQUALS | APPEND | ASSIGNEMPTY ;
build_tool          : IDENTIFIER context ;
build_tools         : TOOLS_STR LBRACE build_tool* RBRACE ;
rilkUnit            : unit_name? (target | comment)* ;
unit_name           : UNIT_STR IDENTIFIER ;
target              : IDENTIFIER (LBRACKET parameter_name (COMMA parameter_name)* RBRACKET)?
                      COLON dependency* context ;
dependency          : dependency_modifier? dependency_identifier
                      (LBRACKET dependency_parameter (COMMA dependency_parameter)* RBRACKET)?
                      (dependency_alias IDENTIFIER)? ;
dependency_modifier : PLUS ;
dependency_alias    : ALIAS | MERGE_ALIAS ;
direct_dependency   : ((IDENTIFIER SLASH)? IDENTIFIER DCOLON)? IDENTIFIER ;
dependency_macro    : AT identifier ;
dependency_parameter : identifier | DOT ;
dependency_identifier : direct_dependency | dependency_macro ;
parameter_name      : IDENTIFIER ;
rilkProject         : proj_name? proj_import_section? build_tools? units? profiles? ;
proj_name           : NAME_STR IDENTIFIER ;
proj_source_profile : IDENTIFIER COLON ;
proj_import_profile : LBRACKET IDENTIFIER RBRACKET ;
proj_path_import    : proj_source_profile? STRING IDENTIFIER? proj_import_profile? SEMICOLON ;
proj_registry_import : proj_source_profile? IDENTIFIER proj_import_profile? SEMICOLON ;
proj_import         : proj_path_import | proj_registry_import ;
proj_import_section : IMPORT_STR LBRACE proj_import* RBRACE ;
unit                : IDENTIFIER LBRACE STRING* RBRACE ;
units               : UNITS_STR LBRACE unit* RBRACE ;
profile             : IDENTIFIER context ;
profiles            : PROFILES_STR LBRACE profile* RBRACE ;
