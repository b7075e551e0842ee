#include "demoreferencedata.h"

namespace Torva {

namespace DemoReferenceData {

static constexpr State kStates[] = {
    {"AL", "Alabama", "US"},
    {"AK", "Alaska", "US"},
    {"AZ", "Arizona", "US"},
    {"AR", "Arkansas", "US"},
    {"CA", "California", "US"},
    {"CO", "Colorado", "US"},
    {"CT", "Connecticut", "US"},
    {"DE", "Delaware", "US"},
    {"DC", "District of Columbia", "US"},
    {"FL", "Florida", "US"},
    {"GA", "Georgia", "US"},
    {"HI", "Hawaii", "US"},
    {"ID", "Idaho", "US"},
    {"IL", "Illinois", "US"},
    {"IN", "Indiana", "US"},
    {"IA", "Iowa", "US"},
    {"KS", "Kansas", "US"},
    {"KY", "Kentucky", "US"},
    {"LA", "Louisiana", "US"},
    {"ME", "Maine", "US"},
    {"MD", "Maryland", "US"},
    {"MA", "Massachusetts", "US"},
    {"MI", "Michigan", "US"},
    {"MN", "Minnesota", "US"},
    {"MS", "Mississippi", "US"},
    {"MO", "Missouri", "US"},
    {"MT", "Montana", "US"},
    {"NE", "Nebraska", "US"},
    {"NV", "Nevada", "US"},
    {"NH", "New Hampshire", "US"},
    {"NJ", "New Jersey", "US"},
    {"NM", "New Mexico", "US"},
    {"NY", "New York", "US"},
    {"NC", "North Carolina", "US"},
    {"ND", "North Dakota", "US"},
    {"OH", "Ohio", "US"},
    {"OK", "Oklahoma", "US"},
    {"OR", "Oregon", "US"},
    {"PA", "Pennsylvania", "US"},
    {"RI", "Rhode Island", "US"},
    {"SC", "South Carolina", "US"},
    {"SD", "South Dakota", "US"},
    {"TN", "Tennessee", "US"},
    {"TX", "Texas", "US"},
    {"UT", "Utah", "US"},
    {"VT", "Vermont", "US"},
    {"VA", "Virginia", "US"},
    {"WA", "Washington", "US"},
    {"WV", "West Virginia", "US"},
    {"WI", "Wisconsin", "US"},
    {"WY", "Wyoming", "US"},
    {"PR", "Puerto Rico", "US"},
    {"GU", "Guam", "US"},
    {"VI", "Virgin Islands", "US"},
    {"AS", "American Samoa", "US"},
    {"MP", "Northern Mariana Islands", "US"},

    // Canada
    {"ON", "Ontario", "CA"},
    {"BC", "British Columbia", "CA"},
    {"QC", "Quebec", "CA"},

    // Mexico. Codes chosen so none clashes with a code above.
    {"SO", "Sonora", "MX"},
    {"NL", "Nuevo Leon", "MX"},
    {"CH", "Chihuahua", "MX"},
};

// Real city/state/zip combinations. A few big cities get many zips; Boston
// neighbourhoods and La Jolla share zips with their parent city.
static constexpr ZipRow kZipRows[] = {
    // Alabama
    {"BIRMINGHAM", "AL", 35203}, {"MONTGOMERY", "AL", 36104}, {"MOBILE", "AL", 36602},
    // Alaska
    {"ANCHORAGE", "AK", 99501}, {"FAIRBANKS", "AK", 99701},
    // Arizona
    {"PHOENIX", "AZ", 85003}, {"PHOENIX", "AZ", 85004}, {"PHOENIX", "AZ", 85016},
    {"TUCSON", "AZ", 85701}, {"TEMPE", "AZ", 85281}, {"SCOTTSDALE", "AZ", 85251},
    // Arkansas
    {"LITTLE ROCK", "AR", 72201}, {"SPRINGDALE", "AR", 72762}, {"SPRINGDALE", "AR", 72764},
    // California
    {"LOS ANGELES", "CA", 90001}, {"LOS ANGELES", "CA", 90004}, {"LOS ANGELES", "CA", 90012},
    {"LOS ANGELES", "CA", 90015}, {"LOS ANGELES", "CA", 90017}, {"LOS ANGELES", "CA", 90024},
    {"LOS ANGELES", "CA", 90026}, {"LOS ANGELES", "CA", 90028}, {"LOS ANGELES", "CA", 90034},
    {"LOS ANGELES", "CA", 90045}, {"LOS ANGELES", "CA", 90049}, {"NORTH HOLLYWOOD", "CA", 91601},
    {"BEVERLY HILLS", "CA", 90210}, {"SANTA MONICA", "CA", 90401}, {"SAN DIEGO", "CA", 92101},
    {"SAN DIEGO", "CA", 92037}, {"LA JOLLA", "CA", 92037}, {"SAN JOSE", "CA", 95110},
    {"SAN JOSE", "CA", 95112}, {"SAN FRANCISCO", "CA", 94102}, {"SAN FRANCISCO", "CA", 94103},
    {"SAN BERNARDINO", "CA", 92401}, {"SAN MARCOS", "CA", 92069}, {"SANTA ANA", "CA", 92701},
    {"SANTA BARBARA", "CA", 93101}, {"SANTA CRUZ", "CA", 95060}, {"SANTA ROSA", "CA", 95401},
    {"SPRING VALLEY", "CA", 91977}, {"SACRAMENTO", "CA", 95814},
    // Colorado
    {"DENVER", "CO", 80202}, {"DENVER", "CO", 80205}, {"BOULDER", "CO", 80302},
    {"COLORADO SPGS", "CO", 80903}, {"AURORA", "CO", 80010},
    // Connecticut
    {"HARTFORD", "CT", 6103}, {"NEW HAVEN", "CT", 6510},
    // Delaware
    {"WILMINGTON", "DE", 19801},
    // District of Columbia
    {"WASHINGTON", "DC", 20001}, {"WASHINGTON", "DC", 20009}, {"WASHINGTON", "DC", 20500},
    // Florida
    {"MIAMI", "FL", 33130}, {"MIAMI BEACH", "FL", 33139}, {"TAMPA", "FL", 33602},
    {"TALLAHASSEE", "FL", 32301}, {"ST PETERSBURG", "FL", 33701}, {"SPRING HILL", "FL", 34606},
    {"SPRING HILL", "FL", 34608}, {"SANFORD", "FL", 32771},
    // Georgia
    {"ATLANTA", "GA", 30303}, {"ATLANTA", "GA", 30308}, {"SAVANNAH", "GA", 31401},
    {"AUGUSTA", "GA", 30901},
    // Hawaii
    {"HONOLULU", "HI", 96813}, {"HONOLULU", "HI", 96815}, {"KAILUA", "HI", 96734},
    // Idaho
    {"BOISE", "ID", 83702}, {"COEUR D'ALENE", "ID", 83814}, {"COEUR D'ALENE", "ID", 83815},
    // Illinois
    {"CHICAGO", "IL", 60601}, {"CHICAGO", "IL", 60602}, {"CHICAGO", "IL", 60603},
    {"CHICAGO", "IL", 60604}, {"CHICAGO", "IL", 60605}, {"CHICAGO", "IL", 60606},
    {"CHICAGO", "IL", 60607}, {"CHICAGO", "IL", 60608}, {"CHICAGO", "IL", 60610},
    {"CHICAGO", "IL", 60611}, {"CHICAGO", "IL", 60613}, {"CHICAGO", "IL", 60614},
    {"SPRINGFIELD", "IL", 62701}, {"SPRINGFIELD", "IL", 62702}, {"SPRINGFIELD", "IL", 62704},
    {"O'FALLON", "IL", 62269}, {"EVANSTON", "IL", 60201}, {"AURORA", "IL", 60505},
    // Indiana
    {"INDIANAPOLIS", "IN", 46201}, {"INDIANAPOLIS", "IN", 46204}, {"BLOOMINGTON", "IN", 47401},
    // Iowa
    {"DES MOINES", "IA", 50309}, {"IOWA CITY", "IA", 52240},
    // Kansas
    {"WICHITA", "KS", 67202}, {"TOPEKA", "KS", 66603}, {"KANSAS CITY", "KS", 66101},
    // Kentucky
    {"LOUISVILLE", "KY", 40202}, {"LEXINGTON", "KY", 40507}, {"FRANKFORT", "KY", 40601},
    // Louisiana
    {"NEW ORLEANS", "LA", 70112}, {"NEW ORLEANS", "LA", 70130}, {"BATON ROUGE", "LA", 70802},
    // Maine
    {"PORTLAND", "ME", 4101}, {"AUGUSTA", "ME", 4330}, {"SANFORD", "ME", 4073},
    // Maryland
    {"BALTIMORE", "MD", 21201}, {"BALTIMORE", "MD", 21202}, {"SILVER SPRING", "MD", 20901},
    {"SILVER SPRING", "MD", 20910}, {"ANNAPOLIS", "MD", 21401},
    // Massachusetts
    {"BOSTON", "MA", 2108}, {"BOSTON", "MA", 2109}, {"BOSTON", "MA", 2110},
    {"BOSTON", "MA", 2111}, {"BOSTON", "MA", 2114}, {"BOSTON", "MA", 2115},
    {"BOSTON", "MA", 2116}, {"BOSTON", "MA", 2118}, {"BOSTON", "MA", 2119},
    {"BOSTON", "MA", 2129}, {"BOSTON", "MA", 2130}, {"BOSTON", "MA", 2134},
    {"BOSTON", "MA", 2135}, {"ROXBURY", "MA", 2119}, {"CHARLESTOWN", "MA", 2129},
    {"JAMAICA PLAIN", "MA", 2130}, {"ALLSTON", "MA", 2134}, {"BRIGHTON", "MA", 2135},
    {"CAMBRIDGE", "MA", 2138}, {"SPRINGFIELD", "MA", 1103}, {"SPRINGFIELD", "MA", 1104},
    {"WORCESTER", "MA", 1604},
    // Michigan
    {"DETROIT", "MI", 48201}, {"ANN ARBOR", "MI", 48104}, {"GRAND RAPIDS", "MI", 49503},
    // Minnesota
    {"MINNEAPOLIS", "MN", 55401}, {"SAINT PAUL", "MN", 55101}, {"ROCHESTER", "MN", 55901},
    // Mississippi
    {"JACKSON", "MS", 39201}, {"GULFPORT", "MS", 39501},
    // Missouri
    {"KANSAS CITY", "MO", 64105}, {"SAINT LOUIS", "MO", 63101}, {"SAINT LOUIS", "MO", 63103},
    {"SAINT LOUIS", "MO", 63104}, {"SPRINGFIELD", "MO", 65802}, {"SPRINGFIELD", "MO", 65804},
    {"SPRINGFIELD", "MO", 65806}, {"O'FALLON", "MO", 63366}, {"O'FALLON", "MO", 63368},
    {"JEFFERSON CITY", "MO", 65101},
    // Montana
    {"BILLINGS", "MT", 59101}, {"MISSOULA", "MT", 59801},
    // Nebraska
    {"OMAHA", "NE", 68102}, {"LINCOLN", "NE", 68508},
    // Nevada
    {"LAS VEGAS", "NV", 89101}, {"LAS VEGAS", "NV", 89109}, {"RENO", "NV", 89501},
    {"CARSON CITY", "NV", 89701},
    // New Hampshire
    {"MANCHESTER", "NH", 3101}, {"CONCORD", "NH", 3301},
    // New Jersey
    {"NEWARK", "NJ", 7102}, {"JERSEY CITY", "NJ", 7302}, {"SPRINGFIELD", "NJ", 7081},
    {"SPRING LAKE", "NJ", 7762},
    // New Mexico
    {"ALBUQUERQUE", "NM", 87102}, {"SANTA FE", "NM", 87501}, {"SANTA FE", "NM", 87505},
    {"SANTA FE", "NM", 87507}, {"LAS CRUCES", "NM", 88001},
    // New York
    {"NEW YORK", "NY", 10001}, {"NEW YORK", "NY", 10002}, {"NEW YORK", "NY", 10003},
    {"NEW YORK", "NY", 10011}, {"NEW YORK", "NY", 10025}, {"BROOKLYN", "NY", 11201},
    {"BRONX", "NY", 10451}, {"STATEN ISLAND", "NY", 10301}, {"BUFFALO", "NY", 14201},
    {"ROCHESTER", "NY", 14604}, {"SPRING VALLEY", "NY", 10977},
    // North Carolina
    {"CHARLOTTE", "NC", 28202}, {"RALEIGH", "NC", 27601}, {"DURHAM", "NC", 27701},
    {"SPRING LAKE", "NC", 28390}, {"SANFORD", "NC", 27330},
    // North Dakota
    {"FARGO", "ND", 58102}, {"BISMARCK", "ND", 58501},
    // Ohio
    {"COLUMBUS", "OH", 43215}, {"CLEVELAND", "OH", 44113}, {"CINCINNATI", "OH", 45202},
    {"SPRINGFIELD", "OH", 45501}, {"SPRINGFIELD", "OH", 45503}, {"SPRINGFIELD", "OH", 45504},
    {"DAYTON", "OH", 45402}, {"SPRINGBORO", "OH", 45066},
    // Oklahoma
    {"OKLAHOMA CITY", "OK", 73102}, {"TULSA", "OK", 74103}, {"NORMAN", "OK", 73069},
    // Oregon
    {"PORTLAND", "OR", 97201}, {"PORTLAND", "OR", 97205}, {"EUGENE", "OR", 97401},
    {"SALEM", "OR", 97301}, {"SPRINGFIELD", "OR", 97477}, {"SPRINGFIELD", "OR", 97478},
    // Pennsylvania
    {"PHILADELPHIA", "PA", 19102}, {"PHILADELPHIA", "PA", 19103}, {"PHILADELPHIA", "PA", 19104},
    {"PITTSBURGH", "PA", 15222}, {"JOHNSTOWN", "PA", 15901}, {"JOHNSTOWN", "PA", 15905},
    {"HARRISBURG", "PA", 17101}, {"SPRINGFIELD", "PA", 19064},
    // Rhode Island
    {"PROVIDENCE", "RI", 2903}, {"WARWICK", "RI", 2886}, {"NEWPORT", "RI", 2840},
    // South Carolina
    {"COLUMBIA", "SC", 29201}, {"CHARLESTON", "SC", 29401}, {"GREENVILLE", "SC", 29601},
    {"MYRTLE BEACH", "SC", 29577},
    // South Dakota
    {"SIOUX FALLS", "SD", 57104}, {"RAPID CITY", "SD", 57701},
    // Tennessee
    {"NASHVILLE", "TN", 37201}, {"NASHVILLE", "TN", 37203}, {"MEMPHIS", "TN", 38103},
    {"KNOXVILLE", "TN", 37902}, {"JOHNSON CITY", "TN", 37601}, {"JOHNSON CITY", "TN", 37604},
    {"SPRINGFIELD", "TN", 37172}, {"SPRING HILL", "TN", 37174},
    // Texas
    {"HOUSTON", "TX", 77002}, {"HOUSTON", "TX", 77003}, {"HOUSTON", "TX", 77004},
    {"HOUSTON", "TX", 77005}, {"HOUSTON", "TX", 77006}, {"HOUSTON", "TX", 77007},
    {"HOUSTON", "TX", 77008}, {"HOUSTON", "TX", 77009}, {"HOUSTON", "TX", 77019},
    {"HOUSTON", "TX", 77024}, {"HOUSTON", "TX", 77036}, {"HOUSTON", "TX", 77057},
    {"SAN ANTONIO", "TX", 78201}, {"SAN ANTONIO", "TX", 78202}, {"SAN ANTONIO", "TX", 78204},
    {"SAN ANTONIO", "TX", 78205}, {"SAN ANTONIO", "TX", 78207}, {"SAN ANTONIO", "TX", 78209},
    {"SAN ANTONIO", "TX", 78210}, {"SAN ANTONIO", "TX", 78212}, {"SAN ANTONIO", "TX", 78216},
    {"SAN ANTONIO", "TX", 78229}, {"DALLAS", "TX", 75201}, {"DALLAS", "TX", 75204},
    {"AUSTIN", "TX", 78701}, {"AUSTIN", "TX", 78702}, {"AUSTIN", "TX", 78704},
    {"FORT WORTH", "TX", 76102}, {"EL PASO", "TX", 79901}, {"SPRING", "TX", 77373},
    {"SPRING", "TX", 77379}, {"SPRING", "TX", 77386}, {"SPRING", "TX", 77388},
    {"SPRING", "TX", 77389}, {"SAN ANGELO", "TX", 76901}, {"SAN MARCOS", "TX", 78666},
    {"BROWNSVILLE", "TX", 78520}, {"CORPUS CHRISTI", "TX", 78401},
    // Utah
    {"SALT LAKE CITY", "UT", 84101}, {"SALT LAKE CITY", "UT", 84102}, {"PROVO", "UT", 84601},
    {"SANDY", "UT", 84070}, {"SANDY", "UT", 84092}, {"SPRINGVILLE", "UT", 84663},
    {"SAINT GEORGE", "UT", 84770},
    // Vermont
    {"BURLINGTON", "VT", 5401}, {"MONTPELIER", "VT", 5602}, {"SPRINGFIELD", "VT", 5156},
    // Virginia
    {"RICHMOND", "VA", 23219}, {"VIRGINIA BEACH", "VA", 23451}, {"ARLINGTON", "VA", 22201},
    {"ALEXANDRIA", "VA", 22314}, {"SPRINGFIELD", "VA", 22150}, {"SPRINGFIELD", "VA", 22151},
    {"SPRINGFIELD", "VA", 22152}, {"SPRINGFIELD", "VA", 22153},
    // Washington
    {"SEATTLE", "WA", 98101}, {"SEATTLE", "WA", 98102}, {"SEATTLE", "WA", 98103},
    {"SEATTLE", "WA", 98104}, {"SEATTLE", "WA", 98105}, {"SEATTLE", "WA", 98109},
    {"SEATTLE", "WA", 98115}, {"SEATTLE", "WA", 98122}, {"SPOKANE", "WA", 99201},
    {"BELLEVUE", "WA", 98004}, {"REDMOND", "WA", 98052},
    // West Virginia
    {"CHARLESTON", "WV", 25301}, {"HUNTINGTON", "WV", 25701},
    // Wisconsin
    {"MILWAUKEE", "WI", 53202}, {"MADISON", "WI", 53703}, {"GREEN BAY", "WI", 54301},
    {"KENOSHA", "WI", 53140},
    // Wyoming
    {"CHEYENNE", "WY", 82001}, {"CASPER", "WY", 82601}, {"JACKSON", "WY", 83001},
    // Territories
    {"SAN JUAN", "PR", 901}, {"SAN JUAN", "PR", 907}, {"PONCE", "PR", 716},
    {"BAYAMON", "PR", 956}, {"HAGATNA", "GU", 96910}, {"ST THOMAS", "VI", 802},
    {"CHRISTIANSTED", "VI", 820}, {"PAGO PAGO", "AS", 96799}, {"SAIPAN", "MP", 96950},
};

// Directional types first (1-9), then symmetric ones (20 and up).
static constexpr Relationship kRelationships[] = {
    {1, "Parent", "Child"},
    {2, "Stepparent", "Stepchild"},
    {3, "Grandparent", "Grandchild"},
    {4, "Guardian", "Ward"},
    {5, "Employer", "Employee"},
    {6, "Landlord", "Tenant"},
    {7, "Attorney", "Client"},
    {8, "Victim", "Offender"},
    {9, "Sponsor", "Sponsored Person"},
    {20, "Spouse", "Spouse"},
    {21, "Sibling", "Sibling"},
    {22, "Cousin", "Cousin"},
    {23, "Friend", "Friend"},
    {24, "Co-defendant", "Co-defendant"},
    {25, "Roommate", "Roommate"},
};

static constexpr SexCode kSexCodes[] = {
    {"M", "Male"},
    {"F", "Female"},
    {"X", "Non-binary"},
    {"U", "Unknown"},
};

static constexpr const char *kLastNames[] = {
    "SMITH", "SMITHERS", "SMYTH", "SMITH-JONES", "JOHNSON", "JOHNSTON", "JOHNS", "WILLIAMS",
    "BROWN", "JONES", "GARCIA", "MILLER", "DAVIS", "RODRIGUEZ", "MARTINEZ", "HERNANDEZ",
    "LOPEZ", "GONZALEZ", "WILSON", "ANDERSON", "THOMAS", "TAYLOR", "MOORE", "JACKSON",
    "MARTIN", "LEE", "PEREZ", "THOMPSON", "WHITE", "HARRIS", "SANCHEZ", "CLARK",
    "RAMIREZ", "LEWIS", "ROBINSON", "WALKER", "YOUNG", "ALLEN", "KING", "WRIGHT",
    "SCOTT", "TORRES", "NGUYEN", "HILL", "FLORES", "GREEN", "ADAMS", "NELSON",
    "BAKER", "HALL", "RIVERA", "CAMPBELL", "MITCHELL", "CARTER", "ROBERTS", "GOMEZ",
    "PHILLIPS", "EVANS", "TURNER", "DIAZ", "PARKER", "CRUZ", "EDWARDS", "COLLINS",
    "REYES", "STEWART", "MORRIS", "MORALES", "MURPHY", "COOK", "ROGERS", "GUTIERREZ",
    "ORTIZ", "MORGAN", "COOPER", "PETERSON", "BAILEY", "REED", "KELLY", "HOWARD",
    "RAMOS", "KIM", "COX", "WARD", "RICHARDSON", "WATSON", "BROOKS", "CHAVEZ",
    "WOOD", "JAMES", "BENNETT", "GRAY", "MENDOZA", "RUIZ", "HUGHES", "PRICE",
    "ALVAREZ", "CASTILLO", "SANDERS", "PATEL", "MYERS", "LONG", "ROSS", "FOSTER",
    "JIMENEZ", "O'BRIEN", "O'CONNOR", "O'NEILL", "MCDONALD", "MACDONALD", "DUBOIS", "QUINN",
    "UNDERWOOD", "VAUGHN", "ZIMMERMAN", "YATES", "XIONG", "IVERSON", "ULRICH", "NAKAMURA",
};

static constexpr const char *kFirstNames[] = {
    "JAMES", "MARY", "ROBERT", "PATRICIA", "JOHN", "JENNIFER", "MICHAEL", "LINDA",
    "DAVID", "ELIZABETH", "WILLIAM", "BARBARA", "RICHARD", "SUSAN", "JOSEPH", "JESSICA",
    "THOMAS", "SARAH", "CHRISTOPHER", "KAREN", "CHARLES", "LISA", "DANIEL", "NANCY",
    "MATTHEW", "BETTY", "ANTHONY", "SANDRA", "MARK", "MARGARET", "DONALD", "ASHLEY",
    "STEVEN", "KIMBERLY", "ANDREW", "EMILY", "PAUL", "DONNA", "JOSHUA", "MICHELLE",
    "KENNETH", "CAROL", "KEVIN", "AMANDA", "BRIAN", "MELISSA", "GEORGE", "DEBORAH",
    "TIMOTHY", "STEPHANIE", "RONALD", "DOROTHY", "JASON", "REBECCA", "EDWARD", "SHARON",
    "JEFFREY", "LAURA", "RYAN", "CYNTHIA", "JACOB", "AMY", "GARY", "KATHLEEN",
    "NICHOLAS", "ANGELA", "ERIC", "SHIRLEY", "JONATHAN", "BRENDA", "STEPHEN", "EMMA",
    "LARRY", "ANNA", "JUSTIN", "PAMELA", "SCOTT", "NICOLE", "BRANDON", "SAMANTHA",
    "BENJAMIN", "KATHERINE", "SAMUEL", "CHRISTINE", "GREGORY", "HELEN", "ALEXANDER", "DEBRA",
    "PATRICK", "RACHEL", "FRANK", "CAROLYN", "RAYMOND", "JANET", "JACK", "MARIA",
    "DENNIS", "CATHERINE", "JERRY", "HEATHER", "TYLER", "DIANE", "AARON", "OLIVIA",
    "JOSE", "JULIE", "ADAM", "JOYCE", "NATHAN", "VICTORIA", "HENRY", "KELLY",
    "ZACHARY", "CHRISTINA", "DOUGLAS", "LAUREN", "PETER", "JOAN", "KYLE", "EVELYN",
    "JUAN", "SOPHIA", "LUIS", "GUADALUPE", "DEANDRE", "LATOYA", "MALIK", "IMANI",
};

static constexpr const char *kStreetNames[] = {
    "MAIN ST", "N MAIN ST", "OAK AVE", "ELM ST", "PINE ST", "MAPLE AVE", "CEDAR LN", "WALNUT ST",
    "CHESTNUT ST", "BIRCH LN", "WILLOW DR", "SPRUCE ST", "HICKORY LN", "SYCAMORE DR", "MAGNOLIA AVE",
    "DOGWOOD CT", "CHERRY ST", "LAUREL ST", "ROSE CT", "WASHINGTON ST", "LINCOLN AVE",
    "JEFFERSON ST", "MADISON AVE", "FRANKLIN ST", "JACKSON BLVD", "PARK AVE", "LAKE ST",
    "HILL ST", "CHURCH ST", "HIGH ST", "MILL RD", "OLD MILL RD", "SCHOOL ST", "SPRING ST",
    "SPRINGFIELD AVE", "1ST ST", "2ND ST", "3RD AVE", "4TH ST", "5TH AVE", "10TH ST",
    "BROADWAY", "S BROADWAY", "E 42ND ST", "MARKET ST", "W MARKET ST", "WATER ST", "RIVER RD",
    "RIDGE RD", "VALLEY VIEW DR", "SUNSET BLVD", "MLK JR BLVD", "COLLEGE AVE", "UNIVERSITY AVE",
    "CENTER ST", "UNION ST", "PLEASANT ST", "GRAND AVE", "HIGHLAND AVE", "MEADOW LN",
    "FOREST DR", "KING ST", "ST CHARLES AVE", "COUNTRY CLUB RD", "COUNTY ROAD 12", "STATE ROUTE 9",
};

std::span<const State> states() { return kStates; }
std::span<const ZipRow> zipRows() { return kZipRows; }
std::span<const Relationship> relationships() { return kRelationships; }
std::span<const SexCode> sexCodes() { return kSexCodes; }
std::span<const char *const> lastNames() { return kLastNames; }
std::span<const char *const> firstNames() { return kFirstNames; }
std::span<const char *const> streetNames() { return kStreetNames; }

} // namespace DemoReferenceData

} // namespace Torva
