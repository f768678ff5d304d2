// Bootstrap pieces shared by the portable code.
